#pragma once

// Decoding table of code page 949 (Unified Hangul Code): two-byte sequences only; bytes below
// 0x80 are ASCII. Generated from glibc's iconv by tools/gencp949table.cpp.

namespace wire::cp949 {

inline constexpr unsigned char kFirstLead = 0x81;
inline constexpr unsigned char kLastLead = 0xFE;
inline constexpr unsigned char kFirstTrail = 0x41;
inline constexpr unsigned char kLastTrail = 0xFE;
inline constexpr int kLeadCount = kLastLead - kFirstLead + 1;
inline constexpr int kTrailCount = kLastTrail - kFirstTrail + 1;

// Indexed by (lead - kFirstLead) * kTrailCount + (trail - kFirstTrail); 0 marks an invalid pair.
extern const char16_t kDoubleByteTable[kLeadCount * kTrailCount];

} // namespace wire::cp949
