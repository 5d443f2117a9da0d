#include "app/program_state.h"

// In this order, and before every other static object of the program.
OrvaneDevice Device __attribute__((init_priority(101)));
FileData ImageFiles("TARGA Files (*.tga)|*.tga|All Files (*.*)|*.*", "tga");
FileData AviFiles("AVI Files (*.avi)|*.avi|All Files (*.*)|*.*", "avi");

bool VersionQuestionAsked = false;
float FrameRate = 25.0f;
int32_t TimeDisplayMode = -1;
std::atomic<int32_t> StopFlag{1};
