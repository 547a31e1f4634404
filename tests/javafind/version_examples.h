// What real Java runtimes print for -version (line ends as the pipe's text
// mode delivers them, a line feed alone), and the numbers each is read as.
#pragma once

struct VersionExample {
    const char* output;
    int major, minor, micro, update;
};

const VersionExample versionExamples[] = {
    {"java version \"1.6.0_20\"\n"
     "Java(TM) SE Runtime Environment (build 1.6.0_20-b02)\n"
     "Java HotSpot(TM) Client VM (build 16.3-b01, mixed mode, sharing)\n", 1, 6, 0, 20},
    {"java version \"1.8.0_381\"\n"
     "Java(TM) SE Runtime Environment (build 1.8.0_381-b09)\n"
     "Java HotSpot(TM) Client VM (build 25.381-b09, mixed mode)\n", 1, 8, 0, 38},
    {"openjdk version \"1.8.0_392\"\n"
     "OpenJDK Runtime Environment (Temurin)(build 1.8.0_392-b08)\n"
     "OpenJDK Client VM (Temurin)(build 25.392-b08, mixed mode)\n", 1, 8, 0, 39},
    {"java version \"1.7.0_80\"\n"
     "Java(TM) SE Runtime Environment (build 1.7.0_80-b15)\n"
     "Java HotSpot(TM) Client VM (build 24.80-b11, mixed mode)\n", 1, 7, 0, 80},
    {"java version \"1.6.0\"\n"
     "Java(TM) SE Runtime Environment (build 1.6.0-b105)\n"
     "Java HotSpot(TM) Client VM (build 1.6.0-b105, mixed mode, sharing)\n", 1, 6, 0, 0},
    {"java version \"1.4.2_19\"\n"
     "Java(TM) 2 Runtime Environment, Standard Edition (build 1.4.2_19-b04)\n"
     "Java HotSpot(TM) Client VM (build 1.4.2_19-b04, mixed mode)\n", 1, 4, 2, 19},
    {"java version \"9.0.4\"\n"
     "Java(TM) SE Runtime Environment (build 9.0.4+11)\n"
     "Java HotSpot(TM) Server VM (build 9.0.4+11, mixed mode)\n", 9, 0, 4, 0},
    {"java version \"10\" 2018-03-20\n"
     "Java(TM) SE Runtime Environment 18.3 (build 10+46)\n"
     "Java HotSpot(TM) 64-Bit Server VM 18.3 (build 10+46, mixed mode)\n", 1, 10, 0, 1},
    {"openjdk version \"11.0.2\" 2019-01-15\n"
     "OpenJDK Runtime Environment 18.9 (build 11.0.2+9)\n"
     "OpenJDK 64-Bit Server VM 18.9 (build 11.0.2+9, mixed mode)\n", 1, 11, 0, 2},
    {"openjdk version \"11.0.12\" 2021-07-20\n"
     "OpenJDK Runtime Environment Temurin-11.0.12+7 (build 11.0.12+7)\n"
     "OpenJDK Server VM Temurin-11.0.12+7 (build 11.0.12+7, mixed mode)\n", 1, 11, 0, 12},
    {"java version \"17.0.1\" 2021-10-19 LTS\n"
     "Java(TM) SE Runtime Environment (build 17.0.1+12-LTS-39)\n"
     "Java HotSpot(TM) 64-Bit Server VM (build 17.0.1+12-LTS-39, mixed mode, sharing)\n", 1, 17, 0, 1},
    {"openjdk version \"21.0.3\" 2024-04-16 LTS\n"
     "OpenJDK Runtime Environment Temurin-21.0.3+9 (build 21.0.3+9-LTS)\n"
     "OpenJDK 64-Bit Server VM Temurin-21.0.3+9 (build 21.0.3+9-LTS, mixed mode, sharing)\n", 1, 21, 0, 3},
};

// Outputs of other shapes: whether the scan finds a version, and what.
struct ShapeExample {
    const char* name;
    const char* output;
    bool found;
    int major, minor, micro, update;
};

const ShapeExample shapeExamples[] = {
    // 24 characters: the match at 4 is not below 24 - 22.
    {"version line alone", "java version \"1.6.0_20\"\n", false, 0, 0, 0, 0},
    {"one more character", "java version \"1.6.0_20\"\nJ", false, 0, 0, 0, 0},
    {"two more characters", "java version \"1.6.0_20\"\nJa", false, 0, 0, 0, 0},
    {"three more characters", "java version \"1.6.0_20\"\nJav", true, 1, 6, 0, 20},
    {"note before the version line",
     "Picked up JAVA_TOOL_OPTIONS: -Dfile.encoding=UTF-8\n"
     "java version \"1.8.0_202\"\n"
     "Java(TM) SE Runtime Environment (build 1.8.0_202-b08)\n", true, 1, 8, 0, 20},
    {"word in capitals", "JAVA VERSION \"1.7.0_80\"\nJava(TM) SE Runtime Environment\n", true, 1, 7, 0, 80},
    {"word in mixed case", "Java Version \"1.5.0_22\"\nJava(TM) 2 Runtime Environment\n", true, 1, 5, 0, 22},
    {"first of two version lines",
     "java version \"1.6.0_45\"\njava version \"1.8.0_99\"\nmore text here\n", true, 1, 6, 0, 45},
    {"letters where digits stand", "java version \"x.y.z_ab\"\nsomething more\n", true, 0, 0, 0, 0},
    {"signs and blanks where digits stand", "java version \"-.+.7_ 4\"\nsomething more\n", true, 0, 0, 7, 4},
    {"no version word", "Error: could not open `C:\\jre\\lib\\i386\\jvm.cfg'\nmore lines follow\n", false, 0, 0, 0, 0},
    {"word without the blank before it", "javaversion \"1.6.0_20\"\nJava(TM) SE Runtime Environment\n", false, 0, 0, 0, 0},
    {"empty", "", false, 0, 0, 0, 0},
};
