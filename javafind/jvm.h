// One Java installation, or one version requirement: four version numbers
// compared in order, the home folder and what the probe found there.
#pragma once

#include <string>

class JVM {
public:
    JVM();

    // Sets the four numbers from a version text such as 1.6.0_00.
    void parseVersion(const std::string& text);
    // 1 when this version is newer than other's, 0 when equal, -1 when older.
    int compare(const JVM& other) const;

    std::string javaExe() const;
    std::string javawExe() const;

    bool isValid() const { return valid; }
    bool isJre() const { return !jdk; }
    bool isJdk() const { return jdk; }

    int getMajor() const { return major; }
    int getMinor() const { return minor; }
    int getMicro() const { return micro; }
    int getUpdate() const { return update; }

    // Points the record at a home folder and probes it by running its
    // bin\java.exe -version; valid afterwards exactly when that worked.
    void setHome(const std::string& path);

private:
    void probeVersion();
    void detectJdk();

    int major;
    int minor;
    int micro;
    int update;
    std::string home;
    bool jdk;
    bool valid;
};
