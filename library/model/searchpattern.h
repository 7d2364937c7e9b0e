#pragma once

#include <QString>
#include <QVector>

// The library's search text as a case-insensitive regular expression that
// is safe to run on every row while the user types.
//
// The syntax is the usual one (what a QRegExp in its default syntax takes,
// less back references and look-ahead): literals, ".", "[...]" and "[^...]"
// with ranges, the escapes \d \D \s \S \w \W \b \B \t \n and \xhhhh, "^" and
// "$", groups "(...)" and "(?:...)", "|", and the quantifiers "*", "+", "?",
// "{n}", "{n,}", "{,m}", "{n,m}" (one per atom). A text that does not
// parse, or that would need more than maxProgramSize instructions, is
// invalid and matches nothing.
//
// Matching runs the compiled pattern as a set of states over the text,
// never backtracking, so its cost grows with the text length times the
// pattern size and no pattern can blow up. On top of that every match call
// stops after stepBudget state visits and then reports "no match", which
// bounds the work per book title or author whatever the pattern; only a
// pattern of dozens of states on a text of hundreds of characters gets
// near it.
//
// Immutable after construction; safe to share between threads.
class SearchPattern
{
public:
    // Limits described above.
    static constexpr int maxProgramSize = 4096;
    static constexpr int stepBudget = 5000;

    // An empty pattern matches every text.
    explicit SearchPattern(const QString &pattern = QString());

    QString pattern() const { return m_pattern; }
    bool isEmpty() const { return m_pattern.isEmpty(); }
    bool isValid() const { return m_valid; }
    // Whether the text contains a match, in any letter case.
    bool matches(const QString &text) const;

    enum class Op : quint8 {
        Char, // folded character in ch
        Any,
        Class, // classes[arg], inverted when flag
        Split, // continue at arg and at arg2
        Jump, // continue at arg
        Begin,
        End,
        WordBoundary, // inverted when flag
        Match,
    };
    struct Instruction
    {
        Op op = Op::Match;
        bool flag = false;
        ushort ch = 0;
        int arg = 0;
        int arg2 = 0;
    };
    struct CharClass
    {
        enum Builtin : quint8 {
            Digit = 1,
            Space = 2,
            Word = 4,
            NotDigit = 8,
            NotSpace = 16,
            NotWord = 32
        };
        QVector<QPair<ushort, ushort>> ranges;
        quint8 builtins = 0;
        bool contains(QChar c) const;
    };

private:
    bool run(const QString &text) const;

    QString m_pattern;
    bool m_valid = true;
    // Plain text: matched with QString::contains, no program.
    bool m_literal = false;
    QVector<Instruction> m_program;
    QVector<CharClass> m_classes;
};
