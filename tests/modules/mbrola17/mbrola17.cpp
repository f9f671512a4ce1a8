// A synthesizer library for tests that exports 17 of the 18 entry points:
// getDatabaseInfo_MBR is missing. Every function does nothing.
#define TM_EXPORT extern "C" __attribute__((visibility("default")))

TM_EXPORT int init_MBR(char*) { return 0; }
TM_EXPORT int init_rename_MBR(char*, char*, char*) { return 0; }
TM_EXPORT int write_MBR(char*) { return 1; }
TM_EXPORT int flush_MBR() { return 1; }
TM_EXPORT int read_MBR(short*, int) { return 0; }
TM_EXPORT int readtype_MBR(void*, int, int) { return 0; }
TM_EXPORT void close_MBR() {}
TM_EXPORT void reset_MBR() {}
TM_EXPORT int lastError_MBR() { return 0; }
TM_EXPORT int lastErrorStr_MBR(char*, int) { return 0; }
TM_EXPORT void setNoError_MBR(int) {}
TM_EXPORT int getNoError_MBR() { return 0; }
TM_EXPORT void setFreq_MBR(int) {}
TM_EXPORT int getFreq_MBR() { return 22050; }
TM_EXPORT void setVolumeRatio_MBR(float) {}
TM_EXPORT float getVolumeRatio_MBR() { return 1.0f; }
TM_EXPORT int getVersion_MBR(char*, int) { return 0; }
