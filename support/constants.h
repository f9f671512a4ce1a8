// Texts shared across the support library and the engine: the library's
// error texts and the parameter type names.
#pragma once

#include <string>

// Common to every support-library class.
const std::string NO_ERROR_TEXT = "NO ERROR";
const std::string UNKNOWN_ERROR_TEXT = "Unknown Error!";

// Utilities (process-wide last error).
const std::string UTILITIES_FIND_FIRST_FAILED = "UTILITIES:: findFirstFile failed";

// Rule collections and rules (codes 800 to 813).
const std::string CRC_ERR_OPEN =
    "CRuleCollection:...(): cannot open file with rules. Stream bad or failed!";
const std::string CRC_ERR_FONT_HEADER =
    "CRuleCollection:loadFromStream(): cannot read fond header!";
const std::string CRC_ERR_LOGICAL_FONT =
    "CRuleCollection:loadFromStream(): cannot read logical font!";
const std::string CRC_ERR_OUTPUT_UNKNOWN =
    "CRuleCollection:loadFromStream(): cannot read output unknown!";
const std::string CRC_ERR_LOAD_RULE = "CRuleCollection:loadFromStream(): cannot load rule!";
const std::string CRULE_ERR_ENABLED = "CRule:loadFromStream(): cannot read Enabled!";
const std::string CRULE_ERR_MAIN_CHAR = "CRule:loadFromStream(): cannot read Main Char!";
const std::string CRULE_ERR_BEFORE_LENGTH =
    "CRule:loadFromStream(): cannot read Before Collection Length!";
const std::string CRULE_ERR_BEFORE_CHAR =
    "CRule:loadFromStream(): cannot read Before Collection Character!";
const std::string CRULE_ERR_AFTER_LENGTH =
    "CRule:loadFromStream(): cannot read After Collection Length!";
const std::string CRULE_ERR_AFTER_CHAR =
    "CRule:loadFromStream(): cannot read After Collection Character!";
const std::string CRULE_ERR_TRANSLATION =
    "CRule:loadFromStream(): cannot read a char from Translation!";
const std::string CRULE_ERR_CHARS_TRANSLATED =
    "CRule:loadFromStream(): cannot read a Chars Translated!";
const std::string CRULE_ERR_COUNTER = "CRule:loadFromStream(): cannot read a Counter!";

// Parameter type names of the configuration store.
const std::string PARAM_TYPE_INTEGER = "integer";
const std::string PARAM_TYPE_FLOAT = "float";
const std::string PARAM_TYPE_STRING = "string";
const std::string PARAM_TYPE_VOID = "void";

// Wave-out player (codes 208 to 234); the texts are the player's own,
// misspellings included.
const std::string CPB_OPEN_ALLOCATED =
    "CPlayBack: waveOutOpen() reports that output device is already open/allocated";
const std::string CPB_OPEN_BADDEVICEID =
    "CPlayBack: waveOutOpen() reports that specified device identifier is out of range";
const std::string CPB_OPEN_NODRIVER = "CPlayBack: waveOutOpen() reports that no driver is present";
const std::string CPB_OPEN_NOMEM = "CPlayBack: waveOutOpen() cannot allocate memory";
const std::string CPB_OPEN_BADFORMAT =
    "CPlayBack: waveOutOpen() has been given a bad \"waveFormat\" argument";
const std::string CPB_OPEN_SYNC =
    "CPlayBack: waveOutOpen() tries to open a synchronous device but WAVE_ALLOWSYNC was not "
    "specified";
const std::string CPB_UNPREPARE_INVALHANDLE =
    "CPlayBack:: waveOutUnprepareHeader() reports and invalid device handle";
const std::string CPB_UNPREPARE_NODRIVER =
    "CPlayBack: waveOutUnprepareHeader() reports that there is no driver installed";
const std::string CPB_UNPREPARE_NOMEM =
    "CPlayBack: waveOutUnprepareHeader() reports that there is no memory available";
const std::string CPB_UNPREPARE_STILLPLAYING =
    "CPlayBack: waveOutUnprepareHeader() reports that device is still playing a WAV";
const std::string CPB_CLOSE_INVALHANDLE =
    "CPlayBack:: waveOutClose() reports and invalid device handle";
const std::string CPB_CLOSE_NODRIVER =
    "CPlayBack: waveOutClose() reports that there is no driver installed";
const std::string CPB_CLOSE_NOMEM =
    "CPlayBack: waveOutClose() reports that there is no memory available";
const std::string CPB_CLOSE_STILLPLAYING =
    "CPlayBack: waveOutClose() reports that device is still playing a WAV";
const std::string CPB_PREPARE_INVALHANDLE =
    "CPlayBack: waveOutPrepareHeader() reports that the device handle is not valid";
const std::string CPB_PREPARE_NODRIVER =
    "CPlayBack: waveOutPrepareHeader() reports that there is no driver installed";
const std::string CPB_PREPARE_NOMEM =
    "CPlayBack: waveOutPrepareHeader() cannot allocate / lock memory";
const std::string CPB_WRITE_INVALHANDLE =
    "CPlayBack: waveOutWrite() reports that the device handle is invalid";
const std::string CPB_WRITE_NODRIVER =
    "CPlayBack: waveOutWrite() reports that there is no driver installed";
const std::string CPB_WRITE_NOMEM = "CPlayBack: waveOutWrite() cannot allocate / lock memory";
const std::string CPB_WRITE_UNPREPARED =
    "CPlayBack: waveOutWrite() reports that the \"waveHeader\" has not been prepared";
const std::string CPB_RESET_INVALHANDLE =
    "CPlayBack: waveOutReset() reports an invalid device handle";
const std::string CPB_RESET_NODRIVER =
    "CPlayBack: waveOutReset() reports that no driver is installed";
const std::string CPB_RESET_NOMEM = "CPlayBack: waveOutReset() is unable to allocate / lock memory";
const std::string CPB_RESET_NOTSUPPORTED =
    "CPlayBack: waveOutReset() is a synchronous device and does not support pausing";
const std::string CPB_PREPARE_UNKNOWN =
    "CPlayBack: playWAVfromMemoryDeviceAlreadyOpen() : Unknown Error from waveOutPrepareHeader()";
const std::string CPB_WRITE_UNKNOWN =
    "CPlayBack: playWAVfromMemoryDeviceAlreadyOpen() : Unknown Error from waveOutWrite()";
