#include "splash/progress.h"

#include "splash/progress_values.h"

#include <string.h>

HWND splashWindow = NULL;

namespace {

// Written by the main thread and read by the paint handler on the splash
// thread; the lock keeps a paint from seeing a half-written text. It is never
// held across a repaint, which waits for the splash thread.
SRWLOCK valuesLock = SRWLOCK_INIT;
char stepName[maxStepNameLength + 1] = "TMP";
char progressText[4] = "0";

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

void storeText(char* buffer, size_t bufferSize, const std::string& text)
{
    ExclusiveLock hold(valuesLock);
    size_t length = text.size() < bufferSize ? text.size() : bufferSize - 1;
    memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::string loadText(const char* buffer)
{
    ExclusiveLock hold(valuesLock);
    return std::string(buffer);
}

// Asks the splash window to repaint now and waits until it has: the paint
// runs on the splash thread, and UpdateWindow returns after it. The splash
// thread may have begun that paint by itself, as its message loop hands out
// WM_PAINT as soon as the window is invalid; UpdateWindow then finds nothing
// left to paint and returns at once. The sent no-op message is answered only
// between two messages, so it returns when that paint is over too.
void repaint()
{
    HWND window = splashWindow;
    if (window == NULL)
        return;
    InvalidateRect(window, NULL, FALSE);
    UpdateWindow(window);
    SendMessageA(window, WM_NULL, 0, 0);
}

} // namespace

void setStep(const char* name)
{
    storeText(stepName, sizeof stepName, storedStepName(name));
    repaint();
}

void setProgress(int percent)
{
    storeText(progressText, sizeof progressText, progressTextFor(percent));
    repaint();
}

void animateProgress(int durationMs)
{
    const int delay = sweepDelayMs(durationMs);
    for (int percent = 0; percent <= 100; percent += 10) {
        setProgress(percent);
        Sleep(static_cast<DWORD>(delay));
    }
}

std::string currentStepName()
{
    return loadText(stepName);
}

std::string currentProgressText()
{
    return loadText(progressText);
}
