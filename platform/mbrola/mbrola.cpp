// The 18 exported entry points of mbrola.so: each locks the one channel and
// calls its operation.
#include "platform/mbrola/mbrola.h"

#include <cstdint>
#include <mutex>

#include "platform/mbrola/SynthChannel.h"

namespace {

std::mutex& ChannelMutex() {
  static std::mutex mutex;
  return mutex;
}

formant::SynthChannel& Channel() {
  static formant::SynthChannel channel;
  return channel;
}

}  // namespace

extern "C" {

int init_MBR(char* dbaseName) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().Init(dbaseName, nullptr, nullptr);
}

int init_rename_MBR(char* dbaseName, char* rename, char* clone) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().Init(dbaseName, rename, clone);
}

int write_MBR(char* buffer) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().Write(buffer);
}

int flush_MBR(void) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().Flush();
}

int read_MBR(short* buffer, int nb_wanted) {
  static_assert(sizeof(short) == sizeof(int16_t), "16-bit samples");
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().Read(reinterpret_cast<int16_t*>(buffer), nb_wanted);
}

int readtype_MBR(void* buffer, int nb_wanted, int type) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().ReadType(buffer, nb_wanted, type);
}

void close_MBR(void) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  Channel().Close();
}

void reset_MBR(void) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  Channel().Reset();
}

int lastError_MBR(void) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().LastError();
}

int lastErrorStr_MBR(char* buffer, int length) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().LastErrorText(buffer, length);
}

void setNoError_MBR(int no_error) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  Channel().SetNoError(no_error != 0);
}

int getNoError_MBR(void) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().noError() ? 1 : 0;
}

void setFreq_MBR(int freq) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  Channel().SetFreq(freq);
}

int getFreq_MBR(void) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().Freq();
}

void setVolumeRatio_MBR(float ratio) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  Channel().SetVolume(ratio);
}

float getVolumeRatio_MBR(void) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().Volume();
}

int getVersion_MBR(char* buffer, int length) {
  return formant::SynthChannel::Version(buffer, length);
}

int getDatabaseInfo_MBR(char* buffer, int length, int index) {
  std::lock_guard<std::mutex> lock(ChannelMutex());
  return Channel().DatabaseInfo(buffer, length, index);
}

}  // extern "C"
