#include "chatlink/cp949.h"

#include <QTest>
#include <iconv.h>

using namespace chatlink;
using namespace Qt::StringLiterals;

namespace {

// glibc's converters ("CP949" is Unified Hangul Code there; IBM's 949 is another code page).
const iconv_t kDecoder = iconv_open("UTF-16LE", "CP949");
const iconv_t kEncoder = iconv_open("CP949", "UTF-16LE");

// The converted bytes, or nothing when the converter rejects the whole input.
std::optional<QByteArray> convert(iconv_t cd, QByteArrayView input)
{
    QByteArray out(64, '\0');
    char *in = const_cast<char *>(input.data());
    char *outPtr = out.data();
    size_t inLeft = size_t(input.size()), outLeft = size_t(out.size());
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == size_t(-1))
        return std::nullopt;
    return out.first(out.size() - qsizetype(outLeft));
}

QString utf16(const QByteArray &bytes)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()),
                              bytes.size() / 2);
}

} // namespace

// Against glibc's own converter, over the whole of both ranges.
class TestCp949 : public QObject
{
    Q_OBJECT

private slots:
    void decodesLikeGlibc();
    void encodesTheBasicPlaneLikeGlibc();
    void replacesWhatItCannotConvert();
};

void TestCp949::decodesLikeGlibc()
{
    QVERIFY(kDecoder != iconv_t(-1) && kEncoder != iconv_t(-1));
    int decoded = 0;
    for (int b = 0; b < 0x80; ++b, ++decoded)
        QCOMPARE(fromCp949(QByteArray(1, char(b))),
                 utf16(*convert(kDecoder, QByteArray(1, char(b)))));
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const char in[2] = {char(lead), char(trail)};
            const auto expected = convert(kDecoder, QByteArrayView(in, 2));
            const QString got = fromCp949(QByteArrayView(in, 2));
            if (expected && expected->size() == 2) {
                if (got != utf16(*expected))
                    QFAIL(qPrintable(u"%1 decoded wrongly"_s.arg(lead << 8 | trail, 4, 16)));
                ++decoded;
            } else if (!expected && trail >= 0x80 &&
                       got != QString(2, QChar::ReplacementCharacter)) {
                QFAIL(qPrintable(u"%1 is not two replacements"_s.arg(lead << 8 | trail, 4, 16)));
            }
        }
    }
    QCOMPARE(decoded, 128 + 17048);
}

void TestCp949::encodesTheBasicPlaneLikeGlibc()
{
    int mapped = 0;
    for (int unit = 1; unit <= 0xFFFF; ++unit) {
        if (QChar::isSurrogate(char32_t(unit)))
            continue;
        const char16_t c = char16_t(unit);
        const auto expected =
            convert(kEncoder, QByteArray(reinterpret_cast<const char *>(&c), sizeof c));
        const QByteArray encoded = toCp949(QStringView(&c, 1));
        if (expected) {
            QCOMPARE(encoded, *expected);
            ++mapped;
        } else {
            QCOMPARE(encoded, "?"_ba);
        }
    }
    QCOMPARE(mapped, 127 + 17048);
}

void TestCp949::replacesWhatItCannotConvert()
{
    QCOMPARE(toCp949(u"x😀y"_s), "x?y"_ba); // one '?' for a character outside the plane
    QCOMPARE(toCp949(QString(QChar(0xD800))), "?"_ba);
    QCOMPARE(fromCp949("a\xB0"_ba), u"a\uFFFD"_s); // a lead byte at the end
    QCOMPARE(fromCp949("\xC9"
                       "A"_ba),
             u"\uFFFDA"_s); // an invalid pair keeps its ASCII byte
}

QTEST_APPLESS_MAIN(TestCp949)
#include "tst_cp949.moc"
