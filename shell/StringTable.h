#pragma once
// The program's string table (ids 16000 and up), shared with the .rc resource.
#include <string>

namespace str {
constexpr int notReady = 16000;
constexpr int outOfMemory = 16001;
constexpr int riffNotFound = 16008;
constexpr int formatNotFound = 16009;
constexpr int cannotOpenBinary = 16010;
constexpr int cannotOpenWav = 16011;
constexpr int notPcm = 16012;
constexpr int audioNotFound = 16013;
constexpr int audioUnusable = 16014;
constexpr int tooQuiet = 16015;
constexpr int noSync = 16016;
constexpr int noPreByte = 16017;
constexpr int noBlockPreByte = 16018;
constexpr int checksumError = 16019;
constexpr int noEndByte = 16020;
constexpr int recordCutShort = 16021;
constexpr int recordTooLong = 16022;
constexpr int cannotWriteBinary = 16023;
constexpr int badHexAddress = 16030;
constexpr int cannotOpenScreenFile = 16050;
constexpr int cannotWriteScreenFile = 16051;
constexpr int lowResolution = 16100;
}

// Text of a string id; empty for an id the table does not hold.
std::string loadString(int id);
