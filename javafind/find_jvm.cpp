#include "javafind/find_jvm.h"

#include "javafind/search_text.h"
#include "process/console.h"
#include "process/process.h"

#include <algorithm>
#include <stdlib.h>
#include <string.h>
#include <vector>

namespace {

const char* const runtimeKeyPath = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char* const developmentKitKeyPath = "SOFTWARE\\JavaSoft\\Java Development Kit";
// The keys that Java 9 and newer write, each with a "CurrentVersion" value
// naming one of its subkeys.
const char* const newRuntimeKeyPath = "SOFTWARE\\JavaSoft\\JRE";
const char* const newDevelopmentKitKeyPath = "SOFTWARE\\JavaSoft\\JDK";
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
    // A text value, read into a zero-filled area of registryTextRoom bytes:
    // its text up to the first zero byte among those read; none when it
    // cannot be read or holds no such text within the area.
    std::optional<std::string> text(const char* valueName) const
    {
        char value[registryTextRoom];
        memset(value, 0, sizeof value);
        DWORD size = sizeof value;
        if (RegQueryValueExA(key_, valueName, NULL, NULL, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
            return std::nullopt;
        return registryHome(value, size, false);
    }
    HKEY get() const { return key_; }
    HKEY& out() { return key_; }

private:
    HKEY key_ = NULL;
};

// The registry view of this process's own kind (no flag, as the system
// chooses), and the other one: on 64-bit Windows a 32-bit program sees the
// 32-bit view by default, where only 32-bit runtimes register, and a 64-bit
// program the 64-bit view. On 32-bit Windows both are the one registry.
const REGSAM ownView = 0;
#ifdef _WIN64
const REGSAM otherView = KEY_WOW64_32KEY;
#else
const REGSAM otherView = KEY_WOW64_64KEY;
#endif

// The "JavaHome" of keyPath\subkey in a view, with "\jre" for a kit of the
// old layout; none when it cannot be read or would not fit.
std::optional<std::string> javaHomeOf(const char* keyPath, const char* subkey, REGSAM view, bool appendJre)
{
    std::optional<std::string> path = versionKeyPath(keyPath, subkey);
    if (!path)
        return std::nullopt;
    RegistryKey versionKey;
    if (!versionKey.open(path->c_str(), KEY_QUERY_VALUE | view))
        return std::nullopt;
    std::optional<std::string> home = versionKey.text("JavaHome");
    if (!home)
        return std::nullopt;
    return appendJre ? registryHome(home->c_str(), home->size() + 1, true) : home;
}

// The home named by the keys of Java 8 and older in a view: the last subkey
// of the development kit key when that key opens (even without subkeys, it
// alone decides), else of the runtime key.
std::optional<std::string> oldLayoutHome(REGSAM view)
{
    char name[subkeyNameAreaRoom];
    name[0] = '\0';
    int tag = 0;
    {
        RegistryKey key;
        if (key.open(runtimeKeyPath, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | view))
            tag = lastSubkeyName(key.get(), fromRuntimeKey, name);
    }
    {
        RegistryKey key;
        if (key.open(developmentKitKeyPath, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | view))
            tag = lastSubkeyName(key.get(), fromDevelopmentKitKey, name);
    }
    if (tag == 0)
        return std::nullopt;
    return javaHomeOf(tag == fromRuntimeKey ? runtimeKeyPath : developmentKitKeyPath, name, view,
                      tag == fromDevelopmentKitKey);
}

// The home named by a key of Java 9 and newer in a view: its subkey that
// "CurrentVersion" names when that subkey exists, else its last subkey.
// Such a home has no jre folder and is used as it stands.
std::optional<std::string> newLayoutHome(const char* keyPath, REGSAM view)
{
    RegistryKey key;
    if (!key.open(keyPath, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | view))
        return std::nullopt;
    char name[subkeyNameAreaRoom];
    name[0] = '\0';
    std::optional<std::string> current = key.text("CurrentVersion");
    RegistryKey named;
    if (current && !current->empty() && current->size() < subkeyNameRoom
        && RegOpenKeyExA(key.get(), current->c_str(), 0, KEY_QUERY_VALUE | view, &named.out()) == ERROR_SUCCESS)
        memcpy(name, current->c_str(), current->size() + 1);
    else if (lastSubkeyName(key.get(), fromRuntimeKey, name) == 0)
        return std::nullopt;
    return javaHomeOf(keyPath, name, view, false);
}

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
        // First the keys of Java 8 and older in this program's own view,
        // exactly as ever; only when that finds nothing acceptable, the same
        // keys in the other view, then the keys of Java 9 and newer in both.
        // A home already tried in this step is not tried again (on 32-bit
        // Windows both views are one).
        std::vector<std::string> tried;
        for (int step = 0; step < 6 && !found_; ++step) {
            std::optional<std::string> home;
            switch (step) {
            case 0: home = oldLayoutHome(ownView); break;
            case 1: home = oldLayoutHome(otherView); break;
            case 2: home = newLayoutHome(newRuntimeKeyPath, ownView); break;
            case 3: home = newLayoutHome(newDevelopmentKitKeyPath, ownView); break;
            case 4: home = newLayoutHome(newRuntimeKeyPath, otherView); break;
            default: home = newLayoutHome(newDevelopmentKitKeyPath, otherView); break;
            }
            if (!home || std::find(tried.begin(), tried.end(), *home) != tried.end())
                continue;
            tried.push_back(*home);
            if (verbose_)
                writeError(("path: " + *home + "\n").c_str());
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
