// Owners of the operating-system handles the process helpers use, so that
// every path out of a function releases what it acquired.
#pragma once

#include <windows.h>

#include <stdio.h>

// A kernel handle (process or thread) closed when the owner goes.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle()
    {
        if (handle_ != NULL && handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// A stream from _popen. close() waits for the command interpreter and
// yields its exit status; an owner that is never closed closes itself.
class CommandPipe {
public:
    explicit CommandPipe(FILE* stream) : stream_(stream) {}
    ~CommandPipe() { close(); }
    CommandPipe(const CommandPipe&) = delete;
    CommandPipe& operator=(const CommandPipe&) = delete;

    FILE* get() const { return stream_; }
    bool isOpen() const { return stream_ != NULL; }

    int close()
    {
        if (stream_ == NULL)
            return -1;
        int status = _pclose(stream_);
        stream_ = NULL;
        return status;
    }

private:
    FILE* stream_;
};
