#include "cp949.h"

#include <QTest>
#include <iconv.h>

using namespace wire;
using namespace Qt::StringLiterals;

namespace {

// glibc's converters ("CP949" is Unified Hangul Code there; IBM's 949 is another code page).
const iconv_t kDecoder = iconv_open("UTF-8", "CP949");
const iconv_t kEncoder = iconv_open("CP949", "UTF-8");

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

} // namespace

// Against glibc's own converter, over the whole of both ranges.
class TestCp949 : public QObject
{
    Q_OBJECT

private slots:
    void convertsLikeGlibc();
    void replacesWhatItCannotConvert();
};

void TestCp949::convertsLikeGlibc()
{
    QVERIFY(kDecoder != iconv_t(-1) && kEncoder != iconv_t(-1));
    int decoded = 0;
    int encoded = 0;
    for (int i = 0; i <= 0xFFFF; ++i) {
        const char pair[2] = {char(i >> 8), char(i)};
        const auto expected = convert(kDecoder, QByteArrayView(pair, 2));
        const QString got = fromCp949(QByteArrayView(pair, 2));
        if (expected) {
            if (got != QString::fromUtf8(*expected))
                QFAIL(qPrintable(u"%1 decoded wrongly"_s.arg(i, 4, 16)));
            ++decoded;
        } else if ((i & 0x8080) == 0x8080 && got != QString(2, QChar::ReplacementCharacter)) {
            QFAIL(qPrintable(u"%1 is not two replacements"_s.arg(i, 4, 16)));
        }
        if (i == 0 || QChar::isSurrogate(char32_t(i)))
            continue;
        const QString c = QChar(char16_t(i));
        const auto cp949 = convert(kEncoder, c.toUtf8());
        QCOMPARE(toCp949(c), cp949.value_or("?"_ba));
        encoded += cp949.has_value();
    }
    QCOMPARE(decoded, 128 * 128 + 17048);
    QCOMPARE(encoded, 127 + 17048);
}

void TestCp949::replacesWhatItCannotConvert()
{
    QCOMPARE(toCp949(u"x😀y"_s), "x?y"_ba); // one '?' for a character outside the plane
    QCOMPARE(toCp949(QString(QChar(0xD800))), "?"_ba);
    QCOMPARE(fromCp949("a\xB0"_ba), u"a\uFFFD"_s);    // a lead byte at the end
    QCOMPARE(fromCp949("\xC9\x41"_ba), u"\uFFFDA"_s); // an invalid pair keeps its ASCII byte
}

QTEST_APPLESS_MAIN(TestCp949)
#include "tst_cp949.moc"
