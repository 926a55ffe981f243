#include "core/base/errors.h"
#include "core/filelist/namemask.h"

#include <QTest>

namespace {

// A list of texts written as plain literals.
QStringList strings(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

} // namespace

class TestNameMask : public QObject
{
    Q_OBJECT

private slots:
    void masks_data();
    void masks();
    void invalidMasks_data();
    void invalidMasks();
    void splitting_data();
    void splitting();
    void filters_data();
    void filters();
    void invalidEntryOnlyWhenReached_data();
    void invalidEntryOnlyWhenReached();
    void caseSwitchRewriting_data();
    void caseSwitchRewriting();
    void scanStartFilter_data();
    void scanStartFilter();
    void scanFilterText();
};

void TestNameMask::masks_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    QTest::newRow("extension, other case") << "*.jpg"
                                           << "Photo.JPG" << true;
    QTest::newRow("extension, longer") << "*.jpg"
                                       << "photo.jpeg" << false;
    QTest::newRow("four ?") << "img_????.png"
                            << "IMG_0001.PNG" << true;
    QTest::newRow("? needs a character") << "img_????.png"
                                         << "img_1.png" << false;
    QTest::newRow("range") << "[a-c]*"
                           << "Beta.txt" << true;
    QTest::newRow("range includes its last letter") << "[a-c]*"
                                                    << "Charlie.txt" << true;
    QTest::newRow("range includes its first letter") << "[a-c]*"
                                                     << "alpha.txt" << true;
    QTest::newRow("outside range") << "[a-c]*"
                                   << "delta.txt" << false;
    QTest::newRow("negated range excludes its last letter") << "[!a-c]*"
                                                            << "cat.txt" << false;
    QTest::newRow("negated range") << "[!a-c]*"
                                   << "delta.txt" << true;
    QTest::newRow("negated range, inside") << "[!a-c]*"
                                           << "alpha.txt" << false;
    QTest::newRow("plain name, any case") << "photo"
                                          << "PHOTO" << true;
    QTest::newRow("plain name is whole") << "photo"
                                         << "photo.jpg" << false;
    QTest::newRow("star alone") << "*"
                                << "anything at all" << true;
    QTest::newRow("star matches empty") << "a*"
                                        << "a" << true;
    QTest::newRow("star then ? is star") << "*?"
                                         << "" << true;
    QTest::newRow("? after star ignored") << "*?.txt"
                                          << ".txt" << true;
    QTest::newRow("? before star counts") << "?*"
                                          << "" << false;
    QTest::newRow("stars and ? run") << "*?*?x"
                                     << "x" << true;
    QTest::newRow("backtracking") << "*ab*ab"
                                  << "xaabyab" << true;
    QTest::newRow("backtracking fails") << "*ab*ab"
                                        << "xaabyb" << false;
    QTest::newRow("last star takes the rest") << "a*b*"
                                              << "aXbYbZ" << true;
    QTest::newRow("must reach the end") << "*.txt"
                                        << "a.txt.bak" << false;
    QTest::newRow("set of single chars") << "[xyz].md"
                                         << "Y.md" << true;
    QTest::newRow("reversed range adds nothing") << "[z-ab]"
                                                 << "m" << false;
    QTest::newRow("reversed range, its listed start") << "[z-ab]"
                                                      << "z" << true;
    QTest::newRow("reversed range, next member") << "[z-ab]"
                                                 << "B" << true;
    QTest::newRow("digits and punctuation") << "v[0-9_].txt"
                                            << "v_.txt" << true;
    QTest::newRow("accented letters keep case") << "é*"
                                                << "Élan.txt" << false;
    QTest::newRow("accented letter itself") << "é*"
                                            << "élan.txt" << true;
    QTest::newRow("? takes one character beyond 16 bits") << "?.txt" << QString::fromUtf8("\U0001F600.txt") << true;
    QTest::newRow("set beyond 16 bits") << QString::fromUtf8("[\U0001F600-\U0001F64F]")
                                        << QString::fromUtf8("\U0001F610") << true;
}

void TestNameMask::masks()
{
    QFETCH(QString, mask);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(FileMask(mask).matches(name), matches);
}

void TestNameMask::invalidMasks_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("error");

    QTest::newRow("set without ]") << "[abc"
                                   << "'[abc' is an invalid mask at (5)";
    QTest::newRow("empty set") << "a[]"
                               << "'a[]' is an invalid mask at (3)";
    QTest::newRow("- first in set") << "[-a]"
                                    << "'[-a]' is an invalid mask at (2)";
    QTest::newRow("- first in negated set") << "[!-a]"
                                            << "'[!-a]' is an invalid mask at (3)";
    QTest::newRow("empty negated set") << "[!]"
                                       << "'[!]' is an invalid mask at (3)";
    QTest::newRow("range without end") << "[a-"
                                       << "'[a-' is an invalid mask at (4)";
    QTest::newRow("range eats the ]") << "[a-]"
                                      << "'[a-]' is an invalid mask at (5)";
    QTest::newRow("31 runs of star")
        << QString(QStringLiteral("*a").repeated(31))
        << QStringLiteral("'%1' is an invalid mask at (62)").arg(QStringLiteral("*a").repeated(31));
    QTest::newRow("31st run at the end")
        << QString(QStringLiteral("*a").repeated(30) + u'*')
        << QStringLiteral("'%1*' is an invalid mask at (62)").arg(QStringLiteral("*a").repeated(30));
    QTest::newRow("31st run before a set")
        << QString(QStringLiteral("*a").repeated(30) + QStringLiteral("*?*[bc]"))
        << QStringLiteral("'%1*?*[bc]' is an invalid mask at (67)").arg(QStringLiteral("*a").repeated(30));
}

void TestNameMask::invalidMasks()
{
    QFETCH(QString, mask);
    QFETCH(QString, error);
    try {
        FileMask m(mask);
        QFAIL("no error raised");
    } catch (const TagscopeError& e) {
        QCOMPARE(e.message(), error);
    }
}

void TestNameMask::splitting_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("semicolon") << "*.jpg;*.png" << strings({"*.jpg", "*.png"});
    QTest::newRow("semicolon and blank") << "*.jpg; *.png" << strings({"*.jpg", "*.png"});
    QTest::newRow("blank") << "*.jpg *.png" << strings({"*.jpg", "*.png"});
    QTest::newRow("tab and line break") << "\t*.jpg\r\n*.png  " << strings({"*.jpg", "*.png"});
    QTest::newRow("empty middle entry") << "a;;b" << strings({"a", "", "b"});
    QTest::newRow("semicolon at end") << "a;" << strings({"a", ""});
    QTest::newRow("semicolon then blanks at end") << "a; " << strings({"a"});
    QTest::newRow("only semicolon") << ";" << strings({"", ""});
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("blanks") << "   " << QStringList{};
    QTest::newRow("quoted with blank") << "\"my photo\"" << strings({"my photo"});
    QTest::newRow("doubled quote") << "\"say \"\"hi\"\"\";x" << strings({"say \"hi\"", "x"});
    QTest::newRow("unclosed quote") << "\"open ; end" << strings({"open ; end"});
    QTest::newRow("quote inside entry") << "a\"b c" << strings({"a\"b", "c"});
    // A NUL character ends the text, as it ends a text of the system.
    QTest::newRow("NUL ends the text") << QString::fromUtf16(u"a\0b;c", 5) << strings({"a"});
    QTest::newRow("NUL first") << QString::fromUtf16(u"\0*.jpg", 6) << QStringList{};
    QTest::newRow("NUL in quotes") << QString::fromUtf16(u"\"a\0b\"", 5) << strings({"a"});
}

void TestNameMask::splitting()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, entries);
    QCOMPARE(SplitFilter(filter), entries);
}

void TestNameMask::filters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<bool>("matches");

    QTest::newRow("mask: star") << "a.txt"
                                << "*" << false << true;
    QTest::newRow("mask: second entry") << "notes.md"
                                        << "*.txt *.md" << false << true;
    QTest::newRow("mask: no entry matches") << "a.png"
                                            << "*.txt;*.md" << false << false;
    QTest::newRow("mask: upper-case filter") << "B.Jpg"
                                             << "*.JPG" << false << true;
    QTest::newRow("mask: empty filter") << "a.txt"
                                        << "" << false << false;
    QTest::newRow("mask: empty entry matches nothing") << "a.txt"
                                                       << ";" << false << false;
    QTest::newRow("text: piece of name") << "a.jpg.bak"
                                         << ".jpg" << true << true;
    QTest::newRow("text: case differs") << "a.JPG"
                                        << ".jpg" << true << false;
    QTest::newRow("text: blank inside quoted") << "my photo 2.png"
                                               << "\"my photo\"" << true << true;
    QTest::newRow("text: empty filter") << "a.txt"
                                        << "" << true << false;
    QTest::newRow("text: empty entry matches all") << "a.txt"
                                                   << ";" << true << true;
    QTest::newRow("text: star is plain") << "a.txt"
                                         << "*" << true << false;
    QTest::newRow("text: name with star") << "a*b.txt"
                                          << "*" << true << true;
    QTest::newRow("text: invalid mask is plain") << "x[abc"
                                                 << "[abc" << true << true;
}

void TestNameMask::filters()
{
    QFETCH(QString, name);
    QFETCH(QString, filter);
    QFETCH(bool, caseSensitive);
    QFETCH(bool, matches);
    QCOMPARE(NameMatchesFilter(name, NameFilter(filter, caseSensitive)), matches);
}

void TestNameMask::invalidEntryOnlyWhenReached_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error"); // empty: no error, the name matches

    QTest::newRow("earlier entry matches") << "*.txt;[abc"
                                           << "a.txt"
                                           << "";
    QTest::newRow("earlier entry fails") << "*.txt;[abc"
                                         << "a.png"
                                         << "'[abc' is an invalid mask at (5)";
    QTest::newRow("invalid first") << "[abc;*"
                                   << "a.txt"
                                   << "'[abc' is an invalid mask at (5)";
    QTest::newRow("star before invalid") << "*;[abc"
                                         << "a.png"
                                         << "";
}

void TestNameMask::invalidEntryOnlyWhenReached()
{
    QFETCH(QString, filter);
    QFETCH(QString, name);
    QFETCH(QString, error);
    const NameFilter prepared(filter, false); // preparing never raises the error
    try {
        const bool matches = NameMatchesFilter(name, prepared);
        QVERIFY2(error.isEmpty(), "no error raised");
        QVERIFY(matches);
    } catch (const TagscopeError& e) {
        QCOMPARE(e.message(), error);
    }
}

void TestNameMask::caseSwitchRewriting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("nowCaseSensitive");
    QTest::addColumn<QString>("result");

    QTest::newRow("on: wildcards removed") << "*.jpg;*.png" << true << ".jpg;.png";
    QTest::newRow("on: question marks removed") << "img_????.png" << true << "img_.png";
    QTest::newRow("on: star becomes empty") << "*" << true << "";
    QTest::newRow("off: wrapped in stars") << ".jpg;.png" << false << "*.jpg;.png*";
    QTest::newRow("off: empty becomes star") << "" << false << "*";
}

void TestNameMask::caseSwitchRewriting()
{
    QFETCH(QString, text);
    QFETCH(bool, nowCaseSensitive);
    QFETCH(QString, result);
    QCOMPARE(FilterTextAfterCaseSwitch(text, nowCaseSensitive), result);
}

void TestNameMask::scanStartFilter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<QString>("result");

    QTest::newRow("empty, masks") << "" << false << "*";
    QTest::newRow("empty, case-sensitive stays empty") << "" << true << "";
    QTest::newRow("blank is not empty") << " " << false << " ";
    QTest::newRow("text kept") << "*.jpg" << false << "*.jpg";
}

void TestNameMask::scanStartFilter()
{
    QFETCH(QString, text);
    QFETCH(bool, caseSensitive);
    QFETCH(QString, result);
    QCOMPARE(FilterTextForScanStart(text, caseSensitive), result);
}

void TestNameMask::scanFilterText()
{
    // Only A to Z are lowered, so an error shows the mask as the scan used it.
    QCOMPARE(ScanFilterText(QStringLiteral("*.JPG;Élan[A-C]"), false), QStringLiteral("*.jpg;Élan[a-c]"));
    QCOMPARE(ScanFilterText(QStringLiteral("*.JPG"), true), QStringLiteral("*.JPG"));
}

QTEST_GUILESS_MAIN(TestNameMask)
#include "tst_namemask.moc"
