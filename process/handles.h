// Owners of the operating-system handles the process helpers use, so that
// every path out of a function releases what it acquired.
#pragma once

#include <windows.h>

// A kernel handle (process, thread, file, pipe end) closed when the owner
// goes, or earlier by reset().
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle = NULL) : handle_(handle) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool isOpen() const { return handle_ != NULL && handle_ != INVALID_HANDLE_VALUE; }

    // Closes the handle now, reports whether that worked, and takes
    // replacement (if any) in its place.
    bool reset(HANDLE replacement = NULL)
    {
        bool closed = true;
        if (isOpen())
            closed = CloseHandle(handle_) != 0;
        handle_ = replacement;
        return closed;
    }

private:
    HANDLE handle_;
};

// An anonymous pipe that carries a child's output to this process. Only the
// write end is inheritable, so the child gets that end and nothing else of
// the pipe; this process closes its copy of the write end once the child
// has it, so that a read ends when the child's last copy closes.
class OutputPipe {
public:
    OutputPipe()
    {
        HANDLE readEnd = NULL;
        HANDLE writeEnd = NULL;
        if (!CreatePipe(&readEnd, &writeEnd, NULL, 0))
            return;
        readEnd_.reset(readEnd);
        writeEnd_.reset(writeEnd);
        if (!SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
            writeEnd_.reset();
    }
    OutputPipe(const OutputPipe&) = delete;
    OutputPipe& operator=(const OutputPipe&) = delete;

    bool isOpen() const { return readEnd_.isOpen() && writeEnd_.isOpen(); }
    HANDLE readEnd() const { return readEnd_.get(); }
    HANDLE writeEnd() const { return writeEnd_.get(); }
    void closeWriteEnd() { writeEnd_.reset(); }

private:
    OwnedHandle readEnd_;
    OwnedHandle writeEnd_;
};
