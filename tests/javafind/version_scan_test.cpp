// The scan of what a runtime printed for -version, as a pure function of
// the text: the worked examples, the other shapes, and bad input.
#include "javafind/version_text.h"

#include "version_examples.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Scan {
    bool found;
    int major = -7, minor = -7, micro = -7, update = -7;
};

Scan scan(const std::string& output)
{
    Scan result;
    result.found = scanVersionOutput(output, result.major, result.minor, result.micro, result.update);
    return result;
}

void expectNumbers(const Scan& s, int major, int minor, int micro, int update)
{
    EXPECT_EQ(s.major, major);
    EXPECT_EQ(s.minor, minor);
    EXPECT_EQ(s.micro, micro);
    EXPECT_EQ(s.update, update);
}

// Bytes of a fixed pseudo-random sequence, the same on every run.
std::string garbage(size_t length, unsigned seed)
{
    std::string bytes;
    for (size_t i = 0; i < length; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes += static_cast<char>(seed >> 16);
    }
    return bytes;
}

bool holdsMarker(const std::string& text)
{
    for (size_t p = 0; p + 8 <= text.size(); ++p) {
        std::string piece = text.substr(p, 8);
        for (char& c : piece)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (piece == " version")
            return true;
    }
    return false;
}

} // namespace

TEST(VersionScan, WorkedExamples)
{
    for (const VersionExample& example : versionExamples) {
        SCOPED_TRACE(example.output);
        Scan s = scan(example.output);
        EXPECT_TRUE(s.found);
        expectNumbers(s, example.major, example.minor, example.micro, example.update);
    }
}

TEST(VersionScan, OtherShapes)
{
    for (const ShapeExample& example : shapeExamples) {
        SCOPED_TRACE(example.name);
        Scan s = scan(example.output);
        EXPECT_EQ(s.found, example.found);
        if (example.found)
            expectNumbers(s, example.major, example.minor, example.micro, example.update);
        else
            expectNumbers(s, -7, -7, -7, -7);
    }
}

TEST(VersionScan, MatchPositionMustLieBelowLengthMinus22)
{
    // The marker followed by exactly n more characters: p = 0, length 8 + n.
    for (size_t tail = 0; tail <= 40; ++tail) {
        SCOPED_TRACE(tail);
        std::string text = " version" + std::string(tail, '5');
        Scan s = scan(text);
        EXPECT_EQ(s.found, tail >= 15);
        if (s.found)
            expectNumbers(s, 1, 55, 5, 55);
    }
}

TEST(VersionScan, BinaryGarbageIsNoVersion)
{
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::string bytes = garbage(seed * 13, seed);
        if (holdsMarker(bytes))
            continue;
        SCOPED_TRACE(seed);
        Scan s = scan(bytes);
        EXPECT_FALSE(s.found);
        expectNumbers(s, -7, -7, -7, -7);
    }
}

TEST(VersionScan, MarkerInGarbageIsReadWithinTheText)
{
    for (unsigned seed = 1; seed <= 50; ++seed) {
        SCOPED_TRACE(seed);
        std::string bytes = garbage(100, seed);
        if (holdsMarker(bytes))
            continue;
        // At length - 23 the marker is found and garbage is read behind it;
        // at length - 22 it is out of bounds of the scan.
        std::string found = bytes;
        found.replace(found.size() - 23, 8, " VeRsIoN");
        EXPECT_TRUE(scan(found).found);
        std::string late = bytes;
        late.replace(late.size() - 22, 8, " version");
        if (!holdsMarker(late.substr(0, late.size() - 22))) {
            EXPECT_FALSE(scan(late).found);
        }
    }
}
