#include "chatlink/cp949.h"

#include <QTest>
#include <iconv.h>

using namespace chatlink;
using namespace Qt::StringLiterals;

namespace {

// glibc's converters: "CP949" is Unified Hangul Code there (IBM's 949 is a different code page).
class Iconv
{
public:
    Iconv(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (isValid())
            iconv_close(m_cd);
    }
    bool isValid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // The converted bytes, or nothing when iconv rejects the whole input.
    std::optional<QByteArray> convert(QByteArrayView input)
    {
        QByteArray out(64, '\0');
        char *in = const_cast<char *>(input.data());
        size_t inLeft = size_t(input.size());
        char *outPtr = out.data();
        size_t outLeft = size_t(out.size());
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_cd, &in, &inLeft, &outPtr, &outLeft) == size_t(-1))
            return std::nullopt;
        out.truncate(out.size() - qsizetype(outLeft));
        return out;
    }

private:
    iconv_t m_cd;
};

QByteArray utf16(char16_t unit)
{
    return QByteArray(reinterpret_cast<const char *>(&unit), sizeof unit);
}

} // namespace

class TestCp949 : public QObject
{
    Q_OBJECT

private slots:
    void decodesEverySequenceLikeGlibc();
    void rejectsWhatGlibcRejects();
    void encodesTheWholeBasicPlaneLikeGlibc();
    void replacesUnmappableCharacters_data();
    void replacesUnmappableCharacters();
    void replacesInvalidBytes_data();
    void replacesInvalidBytes();
};

void TestCp949::decodesEverySequenceLikeGlibc()
{
    Iconv decoder("UTF-16LE", "CP949");
    QVERIFY(decoder.isValid());
    int checked = 0;
    for (int b = 0; b < 0x80; ++b) {
        const QByteArray in(1, char(b));
        const auto expected = decoder.convert(in);
        QVERIFY(expected);
        QCOMPARE(fromCp949(in),
                 QString::fromUtf16(reinterpret_cast<const char16_t *>(expected->constData()), 1));
        ++checked;
    }
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const char in[2] = {char(lead), char(trail)};
            const auto expected = decoder.convert(QByteArrayView(in, 2));
            if (!expected || expected->size() != 2)
                continue;
            const QString decoded = fromCp949(QByteArrayView(in, 2));
            if (decoded.size() != 1 ||
                decoded.at(0).unicode() != *reinterpret_cast<const char16_t *>(expected->data()))
                QFAIL(qPrintable(u"%1 decoded as %2"_s.arg(lead << 8 | trail, 4, 16)
                                     .arg(decoded.isEmpty() ? 0 : decoded.at(0).unicode(), 4, 16)));
            ++checked;
        }
    }
    QCOMPARE(checked, 128 + 17048);
}

void TestCp949::rejectsWhatGlibcRejects()
{
    Iconv decoder("UTF-16LE", "CP949");
    int rejected = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0x80; trail <= 0xFF; ++trail) {
            const char in[2] = {char(lead), char(trail)};
            if (decoder.convert(QByteArrayView(in, 2)))
                continue;
            // Neither byte is ASCII, so both become replacement characters.
            QCOMPARE(fromCp949(QByteArrayView(in, 2)), QString(2, QChar::ReplacementCharacter));
            ++rejected;
        }
    }
    QVERIFY(rejected > 0);
}

void TestCp949::encodesTheWholeBasicPlaneLikeGlibc()
{
    Iconv encoder("CP949", "UTF-16LE");
    int mapped = 0;
    for (int unit = 1; unit <= 0xFFFF; ++unit) {
        if (QChar::isSurrogate(char32_t(unit)))
            continue;
        const char16_t c = char16_t(unit);
        const auto expected = encoder.convert(utf16(c));
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

void TestCp949::replacesUnmappableCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("emoji is one character") << u"x😀y"_s << "x?y"_ba;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << "?"_ba;
}

void TestCp949::replacesUnmappableCharacters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toCp949(text), bytes);
}

void TestCp949::replacesInvalidBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("lead byte at the end") << "a\xB0"_ba << u"a\uFFFD"_s;
    QTest::newRow("invalid pair keeps its ASCII byte") << "\xC9"
                                                          "A"_ba
                                                       << u"\uFFFDA"_s;
}

void TestCp949::replacesInvalidBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(fromCp949(bytes), text);
}

QTEST_APPLESS_MAIN(TestCp949)
#include "tst_cp949.moc"
