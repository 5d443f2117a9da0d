#include "app/program_state.h"

// In this order, and before every other static object of the program.
OrvaneDevice Device __attribute__((init_priority(101)));
// Every picture a pattern can be read from comes first, so the dialog opens
// on it; TARGA first within it, so a name typed without one gets ".tga".
FileData ImageFiles(
    "All Pictures (*.tga;*.png;*.pgm;*.ppm;*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.webp)|"
    "*.tga;*.png;*.pgm;*.ppm;*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.webp|"
    "TARGA Files (*.tga)|*.tga|All Files (*.*)|*.*",
    "tga");
FileData AviFiles("AVI Files (*.avi)|*.avi|All Files (*.*)|*.*", "avi");

bool VersionQuestionAsked = false;
float FrameRate = 25.0f;
int32_t TimeDisplayMode = -1;
std::atomic<int32_t> StopFlag{1};
