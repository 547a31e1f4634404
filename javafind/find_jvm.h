// The search for a Java installation over six ordered sources.
#pragma once

#include "javafind/jvm.h"

#include <windows.h>
#include <string>

// Tries, in order and until one is accepted: priorityHint, JAVA_HOME,
// JRE_HOME, the registry (the keys of Java 8 and older in this program's
// own view; then those keys in the other view and the JRE and JDK keys of
// Java 9 and newer in both), hint, and the java that "where" finds on PATH.
// Each candidate is probed into result; it is accepted when valid, not older
// than minimum (with checkVersion), and of the required kind. With verbose
// the search writes its trace. True when a candidate was accepted; result
// then describes it.
bool findJVM(JVM& result, bool checkVersion, const JVM& minimum, bool requireJre, bool requireJdk,
             std::string priorityHint, std::string hint, bool verbose);

// Copies the last subkey name of key, in the registry's enumeration order,
// into name (8192 bytes of room) and returns tag; returns 0 and leaves name
// alone when key has no subkey that can be read.
int lastSubkeyName(HKEY key, int tag, char* name);
