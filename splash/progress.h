// The step and the progress that the splash window shows. The main thread
// sets them; the splash thread paints them.
#pragma once

#include <windows.h>
#include <string>

// The splash window, once the splash thread has created it; null before
// (and for ever in extract mode). Never cleared.
extern HWND splashWindow;

// Names the current step ("TMP", "XJAVA", ...) and repaints.
void setStep(const char* name);

// Stores percent rounded down to tens and repaints.
void setProgress(int percent);

// Sweeps the progress from 0 to 100 in eleven steps, pausing
// durationMs / 11 after each one.
void animateProgress(int durationMs);

// Copies of the current values, for the painter: each is read whole,
// never half-written.
std::string currentStepName();
std::string currentProgressText();
