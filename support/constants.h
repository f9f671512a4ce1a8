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
