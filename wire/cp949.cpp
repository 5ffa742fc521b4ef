#include "cp949.h"

#include "cp949table.h"

#include <array>
#include <cstdint>

namespace wire {
namespace {

using namespace cp949;

// Unicode (BMP) -> lead << 8 | trail; 0 where code page 949 has no double-byte sequence.
const std::array<std::uint16_t, 0x10000> &encodingTable()
{
    static const auto table = [] {
        std::array<std::uint16_t, 0x10000> t{};
        for (int lead = kFirstLead; lead <= kLastLead; ++lead) {
            for (int trail = kFirstTrail; trail <= kLastTrail; ++trail) {
                const char16_t unit =
                    kDoubleByteTable[(lead - kFirstLead) * kTrailCount + (trail - kFirstTrail)];
                if (unit != 0)
                    t[unit] = static_cast<std::uint16_t>(lead << 8 | trail);
            }
        }
        return t;
    }();
    return table;
}

char16_t decodePair(unsigned char lead, unsigned char trail)
{
    if (lead < kFirstLead || lead > kLastLead || trail < kFirstTrail || trail > kLastTrail)
        return 0;
    return kDoubleByteTable[(lead - kFirstLead) * kTrailCount + (trail - kFirstTrail)];
}

} // namespace

QByteArray toCp949(QStringView text)
{
    const auto &table = encodingTable();
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            out.append(static_cast<char>(unit));
            continue;
        }
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i; // one replacement for the whole supplementary character
            out.append(kUnmappableByte);
            continue;
        }
        if (const std::uint16_t pair = table[unit]) {
            out.append(static_cast<char>(pair >> 8));
            out.append(static_cast<char>(pair & 0xFF));
        } else {
            out.append(kUnmappableByte);
        }
    }
    return out;
}

QString unencodable(QStringView text)
{
    const auto &table = encodingTable();
    QString found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        qsizetype length = 1;
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode()))
            length = 2; // beyond the table's plane
        else if (unit < 0x80 || table[unit] != 0)
            continue;
        const QStringView character = text.sliced(i, length);
        if (!found.contains(character))
            found.append(character);
        i += length - 1;
    }
    return found;
}

QString fromCp949(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            out.append(QChar(char16_t(byte)));
            continue;
        }
        const char16_t unit =
            i + 1 < bytes.size() ? decodePair(byte, static_cast<unsigned char>(bytes[i + 1])) : 0;
        if (unit != 0) {
            out.append(QChar(unit));
            ++i;
        } else {
            out.append(QChar::ReplacementCharacter);
        }
    }
    return out;
}

} // namespace wire
