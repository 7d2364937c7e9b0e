#include "tests/support/testenvironment.h"

#include "library/model/searchpattern.h"

#include <QRegExp>

class TestSearchPattern : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithRegExp_data();
    void agreesWithRegExp();
    void invalidPatterns_data();
    void invalidPatterns();
    void pathologicalPatternsStayBounded_data();
    void pathologicalPatternsStayBounded();
};

namespace {

const QStringList &sampleTexts()
{
    static const QStringList texts = {
        QString(),
        QStringLiteral("War and Peace"),
        QStringLiteral("the war of the worlds"),
        QStringLiteral("Warfare"),
        QStringLiteral("Leo Tolstoy"),
        QStringLiteral("L. N. Tolstoi"),
        QStringLiteral("Colour of Magic"),
        QStringLiteral("Color"),
        QStringLiteral("Über das Marionettentheater"),
        QStringLiteral("über"),
        QStringLiteral("Unknown"),
        QStringLiteral("1984"),
        QStringLiteral("Catch-22"),
        QStringLiteral("a(b)c [d]"),
        QStringLiteral("tab\there"),
        QStringLiteral("aaab"),
    };
    return texts;
}

} // namespace

// Every pattern here means the same to both: the search keeps the meaning
// a regular expression has always had, in any letter case.
void TestSearchPattern::agreesWithRegExp_data()
{
    QTest::addColumn<QString>("pattern");
    const QStringList patterns = {
        QStringLiteral("war"),       QStringLiteral("WAR"),       QStringLiteral("^war"),
        QStringLiteral("peace$"),    QStringLiteral("^$"),        QStringLiteral("t.lsto"),
        QStringLiteral("colou?r"),   QStringLiteral("[0-9]+"),    QStringLiteral("\\d{2}$"),
        QStringLiteral("\\bwar\\b"), QStringLiteral("\\Bar"),     QStringLiteral("(war|peace)"),
        QStringLiteral("(?:of )+"),  QStringLiteral("[^a-z ]"),   QStringLiteral("[A-Z]\\."),
        QStringLiteral("\\w+-\\d+"), QStringLiteral("a{3}b"),     QStringLiteral("a{2,}"),
        QStringLiteral("a{,2}b"),    QStringLiteral("\\("),       QStringLiteral("\\[d\\]"),
        QStringLiteral("\\t"),       QStringLiteral("\\x0041"),   QStringLiteral("ü"),
        QStringLiteral("Ü.er"),      QStringLiteral("[ü]"),       QStringLiteral("x*"),
        QStringLiteral("(a|)b"),     QStringLiteral("[]a]"),      QStringLiteral("[a-]"),
        QStringLiteral("\\s\\S"),    QStringLiteral("(w)(a)(r)"), QStringLiteral(".*of.*of"),
    };
    for (const QString &pattern : patterns)
        QTest::newRow(qPrintable(pattern)) << pattern;
}

void TestSearchPattern::agreesWithRegExp()
{
    QFETCH(QString, pattern);
    const QRegExp expected(pattern, Qt::CaseInsensitive);
    QVERIFY(expected.isValid());
    const SearchPattern search(pattern);
    QVERIFY(search.isValid());
    for (const QString &text : sampleTexts())
        QCOMPARE(search.matches(text), expected.indexIn(text) >= 0);
}

void TestSearchPattern::invalidPatterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::newRow("lone opening parenthesis") << QStringLiteral("(");
    QTest::newRow("lone closing parenthesis") << QStringLiteral("war)");
    QTest::newRow("open class") << QStringLiteral("[abc");
    QTest::newRow("leading star") << QStringLiteral("*war");
    QTest::newRow("double quantifier") << QStringLiteral("a**");
    QTest::newRow("reversed count") << QStringLiteral("a{3,1}");
    QTest::newRow("lone closing bracket") << QStringLiteral("a]");
    QTest::newRow("trailing backslash") << QStringLiteral("war\\");
    QTest::newRow("back reference") << QStringLiteral("(a)\\1");
    QTest::newRow("look-ahead") << QStringLiteral("(?=a)");
    QTest::newRow("too large a program") << QStringLiteral("((a{1000}){1000})");
    QTest::newRow("too deep") << QString(500, QLatin1Char('(')) + QString(500, QLatin1Char(')'));
}

void TestSearchPattern::invalidPatterns()
{
    QFETCH(QString, pattern);
    const SearchPattern search(pattern);
    QVERIFY(!search.isValid());
    for (const QString &text : sampleTexts())
        QVERIFY(!search.matches(text));
}

void TestSearchPattern::pathologicalPatternsStayBounded_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::newRow("nested stars") << QStringLiteral("(a*)*b");
    QTest::newRow("nested plus") << QStringLiteral("(a+)+b");
    QTest::newRow("ambiguous alternation") << QStringLiteral("(a|a|aa)*c");
    QTest::newRow("counted nesting") << QStringLiteral("(a{1,30}){1,30}c");
    QTest::newRow("many wildcards") << QStringLiteral(".*.*.*.*.*.*.*.*.*.*z");
}

// Texts a backtracking matcher would spend ages on, as many as a large
// library has titles: the work per text is bounded, so this returns at once
// (a hang would show as the test's time-out), and a short title still
// matches as usual.
void TestSearchPattern::pathologicalPatternsStayBounded()
{
    QFETCH(QString, pattern);
    const SearchPattern search(pattern);
    QVERIFY(search.isValid());
    const QString text(5000, QLatin1Char('a'));
    for (int i = 0; i < 2000; ++i)
        QVERIFY(!search.matches(text));
    QVERIFY(search.matches(QStringLiteral("aa") + pattern.right(1)));
}

VL_TEST_GUILESS_MAIN(TestSearchPattern)
#include "tst_searchpattern.moc"
