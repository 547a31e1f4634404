#include "javafind/find_jvm.h"

#include "javafind/search_text.h"
#include "process/console.h"
#include "process/process.h"

#include <stdlib.h>
#include <string.h>

namespace {

const char* const runtimeKeyPath = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char* const developmentKitKeyPath = "SOFTWARE\\JavaSoft\\Java Development Kit";
// The PATH lookup: where.exe of the system folder, run by its full path with
// its error stream discarded. The command text is what the failure lines
// show.
const char* const pathLookupProgram = "where.exe";
const char* const pathLookupArguments = "java";
const char* const pathCommand = "where java 2>nul";

const int fromRuntimeKey = 1;
const int fromDevelopmentKitKey = 2;

// Room of one enumerated subkey name, and of the name handed on from it.
const DWORD subkeyNameRoom = 1024;
const size_t subkeyNameAreaRoom = 8192;

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey()
    {
        if (key_ != NULL)
            RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool open(const char* path, REGSAM access)
    {
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key_) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = NULL;
};

// One line of the trace on standard output, flushed at its end.
void traceLineEnd()
{
    writeOut("\n");
    flushOut();
}

class Search {
public:
    Search(JVM& result, bool checkVersion, const JVM& minimum, bool requireJre, bool requireJdk, bool verbose)
        : result_(result), checkVersion_(checkVersion), minimum_(minimum), requireJre_(requireJre),
          requireJdk_(requireJdk), verbose_(verbose)
    {
    }

    bool found() const { return found_; }

    void out(const std::string& text) const
    {
        if (verbose_)
            writeOut(text.c_str());
    }

    void verdict() const
    {
        if (verbose_) {
            writeOut(found_ ? "yes" : "no");
            traceLineEnd();
        }
    }

    // The one acceptance rule every candidate goes through. The kind test
    // comes last and can only undo this same candidate's acceptance, since
    // no source is tried once one was accepted.
    void judge(const std::string& home)
    {
        result_.setHome(home);
        if (result_.isValid()) {
            if (!checkVersion_ || result_.compare(minimum_) >= 0)
                found_ = true;
        }
        if ((requireJre_ && !result_.isJre()) || (requireJdk_ && !result_.isJdk()))
            found_ = false;
    }

    // A source given as a plain text: a hint or an environment variable.
    void tryText(const char* heading, const char* text)
    {
        out(heading);
        if (text != nullptr) {
            const std::string home(text);
            out("(" + home + ") ");
            // An empty home would probe \bin\java.exe at the root of the
            // current drive, a folder any user may create.
            if (!home.empty())
                judge(home);
        }
        verdict();
    }

    void tryRegistry()
    {
        out(" - trying the registry: ");
        flushOut();
        std::optional<std::string> home = registryCandidate();
        if (home) {
            if (verbose_) {
                writeError(("path: " + *home + "\n").c_str());
            }
            judge(*home);
        }
        verdict();
    }

    void tryPath()
    {
        out(" - Looking on PATH (possibly yielding a pseudo, but passable, JAVA_HOME such as /usr): ");
        // A lookup that cannot be started, or that is ended at the time
        // limit, yields -1 and the two failure lines.
        std::string output;
        if (captureProgramOutput(systemProgram(pathLookupProgram), pathLookupArguments, output,
                                 ErrorStream::Discarded)
            == -1) {
            writeError("Failed to run the command to locate 'java' on PATH\n");
            writeError((std::string("Command run was: ") + pathCommand + "\n").c_str());
            verdict();
            return;
        }
        std::string line = firstLine(output);
        std::optional<std::string> home = line.empty() ? std::nullopt : homeFromPathLine(line);
        if (home) {
            out("(" + *home + ") ");
            judge(*home);
        }
        verdict();
    }

private:
    // The home named by the registry: the last subkey of the development kit
    // key when that key opens (even without subkeys, it alone decides), else
    // of the runtime key.
    std::optional<std::string> registryCandidate() const
    {
        char name[subkeyNameAreaRoom];
        name[0] = '\0';
        int tag = 0;
        {
            RegistryKey key;
            if (key.open(runtimeKeyPath, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS))
                tag = lastSubkeyName(key.get(), fromRuntimeKey, name);
        }
        {
            RegistryKey key;
            if (key.open(developmentKitKeyPath, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS))
                tag = lastSubkeyName(key.get(), fromDevelopmentKitKey, name);
        }
        if (tag == 0)
            return std::nullopt;

        std::optional<std::string> path =
            versionKeyPath(tag == fromRuntimeKey ? runtimeKeyPath : developmentKitKeyPath, name);
        if (!path)
            return std::nullopt;
        RegistryKey versionKey;
        if (!versionKey.open(path->c_str(), KEY_QUERY_VALUE))
            return std::nullopt;
        char value[registryTextRoom];
        memset(value, 0, sizeof value);
        DWORD size = sizeof value;
        if (RegQueryValueExA(versionKey.get(), "JavaHome", NULL, NULL, reinterpret_cast<BYTE*>(value), &size)
            != ERROR_SUCCESS)
            return std::nullopt;
        return registryHome(value, size, tag == fromDevelopmentKitKey);
    }

    JVM& result_;
    const bool checkVersion_;
    const JVM& minimum_;
    const bool requireJre_;
    const bool requireJdk_;
    const bool verbose_;
    bool found_ = false;
};

} // namespace

int lastSubkeyName(HKEY key, int tag, char* name)
{
    bool read = false;
    char subkey[subkeyNameRoom];
    for (DWORD index = 0;; ++index) {
        DWORD size = subkeyNameRoom;
        if (RegEnumKeyExA(key, index, subkey, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        memcpy(name, subkey, size);
        name[size] = '\0';
        read = true;
    }
    return read ? tag : 0;
}

bool findJVM(JVM& result, bool checkVersion, const JVM& minimum, bool requireJre, bool requireJdk,
             std::string priorityHint, std::string hint, bool verbose)
{
    Search search(result, checkVersion, minimum, requireJre, requireJdk, verbose);
    if (verbose) {
        writeOut("Searching for a JVM");
        traceLineEnd();
    }
    search.tryText(" - trying priority hint: ", priorityHint.empty() ? nullptr : priorityHint.c_str());
    if (!search.found())
        search.tryText(" - trying JAVA_HOME: ", getenv("JAVA_HOME"));
    if (!search.found())
        search.tryText(" - trying JRE_HOME: ", getenv("JRE_HOME"));
    if (!search.found())
        search.tryRegistry();
    if (!search.found())
        search.tryText(" - trying hint: ", hint.empty() ? nullptr : hint.c_str());
    if (!search.found())
        search.tryPath();
    return search.found();
}
