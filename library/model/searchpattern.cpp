#include "library/model/searchpattern.h"

#include <memory>
#include <vector>

namespace {

// Deeper nesting than this is refused rather than risking the parser's stack.
constexpr int maxNesting = 100;
// The largest count "{n,m}" takes.
constexpr int maxRepeat = 1000;

ushort fold(QChar c)
{
    return c.toCaseFolded().unicode();
}

// The class an escape letter such as the d of \d stands for; 0 for others.
quint8 builtinOf(QChar letter)
{
    switch (letter.unicode()) {
    case 'd':
        return SearchPattern::CharClass::Digit;
    case 'D':
        return SearchPattern::CharClass::NotDigit;
    case 's':
        return SearchPattern::CharClass::Space;
    case 'S':
        return SearchPattern::CharClass::NotSpace;
    case 'w':
        return SearchPattern::CharClass::Word;
    case 'W':
        return SearchPattern::CharClass::NotWord;
    default:
        return 0;
    }
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c == QLatin1Char('_');
}

struct Node
{
    enum class Kind {
        Empty,
        Char,
        Any,
        Class,
        Begin,
        End,
        WordBoundary,
        Concat,
        Alternation,
        Repeat
    };

    explicit Node(Kind k)
        : kind(k)
    {
    }

    Kind kind;
    ushort ch = 0;
    bool flag = false;
    int classIndex = 0;
    int min = 0;
    int max = 0; // -1: no upper bound
    std::vector<std::unique_ptr<Node>> children;
};

using NodePtr = std::unique_ptr<Node>;

class Parser
{
public:
    Parser(const QString &pattern, QVector<SearchPattern::CharClass> &classes)
        : m_text(pattern)
        , m_classes(classes)
    {
    }

    NodePtr parse()
    {
        NodePtr root = alternation(0);
        if (!m_ok || m_pos != m_text.size())
            return nullptr;
        return root;
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return m_text.at(m_pos); }

    NodePtr fail()
    {
        m_ok = false;
        return nullptr;
    }

    NodePtr alternation(int depth)
    {
        if (depth > maxNesting)
            return fail();
        auto node = std::make_unique<Node>(Node::Kind::Alternation);
        for (;;) {
            NodePtr branch = concatenation(depth);
            if (!m_ok)
                return nullptr;
            node->children.push_back(std::move(branch));
            if (atEnd() || peek() != QLatin1Char('|'))
                break;
            ++m_pos;
        }
        if (node->children.size() == 1)
            return std::move(node->children.front());
        return node;
    }

    NodePtr concatenation(int depth)
    {
        auto node = std::make_unique<Node>(Node::Kind::Concat);
        while (!atEnd() && peek() != QLatin1Char('|') && peek() != QLatin1Char(')')) {
            NodePtr item = repetition(depth);
            if (!m_ok)
                return nullptr;
            node->children.push_back(std::move(item));
        }
        return node;
    }

    // An atom and at most one quantifier; like QRegExp, "a**" and the
    // minimal forms "a+?" do not parse.
    NodePtr repetition(int depth)
    {
        NodePtr atom = this->atom(depth);
        if (!m_ok || atEnd())
            return atom;
        int min = 0;
        int max = 0;
        const QChar c = peek();
        if (c == QLatin1Char('*')) {
            min = 0, max = -1;
            ++m_pos;
        } else if (c == QLatin1Char('+')) {
            min = 1, max = -1;
            ++m_pos;
        } else if (c == QLatin1Char('?')) {
            min = 0, max = 1;
            ++m_pos;
        } else if (c == QLatin1Char('{')) {
            if (!counts(min, max))
                return fail();
        } else {
            return atom;
        }
        if (!atEnd() && isQuantifier(peek()))
            return fail();
        auto repeat = std::make_unique<Node>(Node::Kind::Repeat);
        repeat->min = min;
        repeat->max = max;
        repeat->children.push_back(std::move(atom));
        return repeat;
    }

    static bool isQuantifier(QChar c)
    {
        return c == QLatin1Char('*') || c == QLatin1Char('+') || c == QLatin1Char('?')
                || c == QLatin1Char('{');
    }

    // "{n}", "{n,}", "{,m}", "{n,m}" at m_pos.
    bool counts(int &min, int &max)
    {
        ++m_pos;
        if (!atEnd() && peek() == QLatin1Char(','))
            min = 0;
        else if (!number(min))
            return false;
        max = min;
        if (!atEnd() && peek() == QLatin1Char(',')) {
            ++m_pos;
            if (!atEnd() && peek() == QLatin1Char('}'))
                max = -1;
            else if (!number(max))
                return false;
        }
        if (atEnd() || peek() != QLatin1Char('}'))
            return false;
        ++m_pos;
        return max == -1 || min <= max;
    }

    bool number(int &value)
    {
        value = 0;
        const int start = m_pos;
        while (!atEnd() && peek().isDigit() && peek().unicode() < 128) {
            value = value * 10 + (peek().unicode() - '0');
            if (value > maxRepeat)
                return false;
            ++m_pos;
        }
        return m_pos > start;
    }

    NodePtr atom(int depth)
    {
        const QChar c = peek();
        switch (c.unicode()) {
        case '(': {
            ++m_pos;
            if (m_text.midRef(m_pos, 2) == QLatin1String("?:"))
                m_pos += 2;
            else if (!atEnd() && peek() == QLatin1Char('?'))
                return fail(); // look-ahead and the like are not offered
            NodePtr inner = alternation(depth + 1);
            if (!m_ok || atEnd() || peek() != QLatin1Char(')'))
                return fail();
            ++m_pos;
            return inner;
        }
        case '[':
            return charClass();
        case '.':
            ++m_pos;
            return std::make_unique<Node>(Node::Kind::Any);
        case '^':
            ++m_pos;
            return std::make_unique<Node>(Node::Kind::Begin);
        case '$':
            ++m_pos;
            return std::make_unique<Node>(Node::Kind::End);
        case '\\':
            return escape();
        case '*':
        case '+':
        case '?':
        case '{':
            return fail(); // a quantifier with nothing before it
        case ']':
        case '}':
            return fail(); // unescaped closers are errors, as in QRegExp
        default:
            ++m_pos;
            return literal(c);
        }
    }

    static NodePtr literal(QChar c)
    {
        auto node = std::make_unique<Node>(Node::Kind::Char);
        node->ch = fold(c);
        return node;
    }

    NodePtr builtinClass(quint8 builtin)
    {
        SearchPattern::CharClass cls;
        cls.builtins = builtin;
        m_classes.append(cls);
        auto node = std::make_unique<Node>(Node::Kind::Class);
        node->classIndex = m_classes.size() - 1;
        return node;
    }

    // An escape at m_pos outside a class.
    NodePtr escape()
    {
        ++m_pos;
        if (atEnd())
            return fail();
        const QChar c = peek();
        if (const quint8 builtin = builtinOf(c)) {
            ++m_pos;
            return builtinClass(builtin);
        }
        if (c == QLatin1Char('b') || c == QLatin1Char('B')) {
            ++m_pos;
            auto node = std::make_unique<Node>(Node::Kind::WordBoundary);
            node->flag = c == QLatin1Char('B');
            return node;
        }
        if (c.unicode() >= '1' && c.unicode() <= '9')
            return fail(); // back references are not offered
        QChar value;
        if (!escapedChar(value))
            return fail();
        return literal(value);
    }

    // The character an escape such as \n, \x41 or \. stands for; m_pos is
    // on the character after the backslash and moves past the escape.
    bool escapedChar(QChar &value)
    {
        const QChar c = peek();
        ++m_pos;
        switch (c.unicode()) {
        case 'a':
            value = QChar(0x07);
            return true;
        case 'e':
            value = QChar(0x1b);
            return true;
        case 'f':
            value = QChar(0x0c);
            return true;
        case 'n':
            value = QChar(0x0a);
            return true;
        case 'r':
            value = QChar(0x0d);
            return true;
        case 't':
            value = QChar(0x09);
            return true;
        case 'v':
            value = QChar(0x0b);
            return true;
        case 'x':
            return digits(16, 4, value);
        case '0':
            // "\0" alone is the null character.
            digits(8, 3, value);
            return true;
        default:
            value = c;
            return true;
        }
    }

    bool digits(int base, int most, QChar &value)
    {
        uint result = 0;
        int count = 0;
        while (count < most && !atEnd()) {
            bool ok = false;
            const int digit = QString(peek()).toInt(&ok, base);
            if (!ok)
                break;
            result = result * uint(base) + uint(digit);
            ++m_pos;
            ++count;
        }
        value = QChar(ushort(result));
        return count > 0;
    }

    NodePtr charClass()
    {
        ++m_pos;
        SearchPattern::CharClass cls;
        bool negated = false;
        if (!atEnd() && peek() == QLatin1Char('^')) {
            negated = true;
            ++m_pos;
        }
        bool first = true;
        for (;;) {
            if (atEnd())
                return fail();
            QChar c = peek();
            if (c == QLatin1Char(']') && !first) {
                ++m_pos;
                break;
            }
            first = false;
            ushort low = 0;
            if (c == QLatin1Char('\\')) {
                ++m_pos;
                if (atEnd())
                    return fail();
                const quint8 builtin = builtinOf(peek());
                if (builtin) {
                    ++m_pos;
                    cls.builtins |= builtin;
                    continue;
                }
                QChar value;
                if (!escapedChar(value))
                    return fail();
                low = value.unicode();
            } else {
                ++m_pos;
                low = c.unicode();
            }
            ushort high = low;
            // "a-z"; a "-" before the closing bracket is a plain dash.
            if (m_pos + 1 < m_text.size() && peek() == QLatin1Char('-')
                && m_text.at(m_pos + 1) != QLatin1Char(']')) {
                ++m_pos;
                QChar h = peek();
                if (h == QLatin1Char('\\')) {
                    ++m_pos;
                    if (atEnd() || !escapedChar(h))
                        return fail();
                } else {
                    ++m_pos;
                }
                high = h.unicode();
                if (high < low)
                    return fail();
            }
            cls.ranges.append(qMakePair(low, high));
        }
        m_classes.append(cls);
        auto node = std::make_unique<Node>(Node::Kind::Class);
        node->classIndex = m_classes.size() - 1;
        node->flag = negated;
        return node;
    }

    const QString &m_text;
    QVector<SearchPattern::CharClass> &m_classes;
    int m_pos = 0;
    bool m_ok = true;
};

class Compiler
{
public:
    explicit Compiler(QVector<SearchPattern::Instruction> &program)
        : m_program(program)
    {
    }

    bool compile(const Node &root)
    {
        emitNode(root);
        emit(SearchPattern::Op::Match);
        return m_ok;
    }

private:
    using Op = SearchPattern::Op;

    int emit(Op op, int arg = 0, int arg2 = 0)
    {
        // Counted repetition multiplies the program; stop at the limit
        // instead of building a huge one.
        if (m_program.size() >= SearchPattern::maxProgramSize) {
            m_ok = false;
            return -1;
        }
        SearchPattern::Instruction instruction;
        instruction.op = op;
        instruction.arg = arg;
        instruction.arg2 = arg2;
        m_program.append(instruction);
        return m_program.size() - 1;
    }

    void emitNode(const Node &node)
    {
        if (!m_ok)
            return;
        switch (node.kind) {
        case Node::Kind::Empty:
            return;
        case Node::Kind::Char: {
            const int at = emit(Op::Char);
            if (at >= 0)
                m_program[at].ch = node.ch;
            return;
        }
        case Node::Kind::Any:
            emit(Op::Any);
            return;
        case Node::Kind::Class: {
            const int at = emit(Op::Class, node.classIndex);
            if (at >= 0)
                m_program[at].flag = node.flag;
            return;
        }
        case Node::Kind::Begin:
            emit(Op::Begin);
            return;
        case Node::Kind::End:
            emit(Op::End);
            return;
        case Node::Kind::WordBoundary: {
            const int at = emit(Op::WordBoundary);
            if (at >= 0)
                m_program[at].flag = node.flag;
            return;
        }
        case Node::Kind::Concat:
            for (const NodePtr &child : node.children)
                emitNode(*child);
            return;
        case Node::Kind::Alternation:
            alternation(node);
            return;
        case Node::Kind::Repeat:
            repeat(node);
            return;
        }
    }

    void alternation(const Node &node)
    {
        std::vector<int> jumps;
        const size_t last = node.children.size() - 1;
        for (size_t i = 0; i < last && m_ok; ++i) {
            const int split = emit(Op::Split);
            if (split < 0)
                return;
            m_program[split].arg = split + 1;
            emitNode(*node.children[i]);
            const int jump = emit(Op::Jump);
            if (jump < 0)
                return;
            jumps.push_back(jump);
            m_program[split].arg2 = m_program.size();
        }
        emitNode(*node.children[last]);
        if (!m_ok)
            return;
        for (int jump : jumps)
            m_program[jump].arg = m_program.size();
    }

    void repeat(const Node &node)
    {
        const Node &body = *node.children.front();
        for (int i = 0; i < node.min && m_ok; ++i)
            emitNode(body);
        if (node.max < 0) {
            const int split = emit(Op::Split);
            if (split < 0)
                return;
            m_program[split].arg = split + 1;
            emitNode(body);
            emit(Op::Jump, split);
            if (m_ok)
                m_program[split].arg2 = m_program.size();
            return;
        }
        std::vector<int> splits;
        for (int i = node.min; i < node.max && m_ok; ++i) {
            const int split = emit(Op::Split);
            if (split < 0)
                return;
            m_program[split].arg = split + 1;
            splits.push_back(split);
            emitNode(body);
        }
        if (!m_ok)
            return;
        for (int split : splits)
            m_program[split].arg2 = m_program.size();
    }

    QVector<SearchPattern::Instruction> &m_program;
    bool m_ok = true;
};

// Characters that make a pattern more than plain text.
bool isPlainText(const QString &pattern)
{
    static const QString special = QStringLiteral("\\^$.[]|()?*+{}");
    for (const QChar c : pattern) {
        if (special.contains(c))
            return false;
    }
    return true;
}

} // namespace

bool SearchPattern::CharClass::contains(QChar c) const
{
    const ushort u = c.unicode();
    for (const auto &range : ranges) {
        if (u >= range.first && u <= range.second)
            return true;
    }
    if (builtins) {
        if ((builtins & Digit) && c.isDigit())
            return true;
        if ((builtins & NotDigit) && !c.isDigit())
            return true;
        if ((builtins & Space) && c.isSpace())
            return true;
        if ((builtins & NotSpace) && !c.isSpace())
            return true;
        if ((builtins & Word) && isWordChar(c))
            return true;
        if ((builtins & NotWord) && !isWordChar(c))
            return true;
    }
    return false;
}

SearchPattern::SearchPattern(const QString &pattern)
    : m_pattern(pattern)
{
    if (pattern.isEmpty())
        return;
    if (isPlainText(pattern)) {
        m_literal = true;
        return;
    }
    Parser parser(pattern, m_classes);
    const NodePtr root = parser.parse();
    m_valid = root && Compiler(m_program).compile(*root);
    if (!m_valid) {
        m_program.clear();
        m_classes.clear();
    }
}

bool SearchPattern::matches(const QString &text) const
{
    if (m_pattern.isEmpty())
        return true;
    if (!m_valid)
        return false;
    if (m_literal)
        return text.contains(m_pattern, Qt::CaseInsensitive);
    return run(text);
}

bool SearchPattern::run(const QString &text) const
{
    const int size = m_program.size();
    const int length = text.size();
    // The generation mark of a state tells in which step it was last added,
    // so each step adds every state at most once: that is what keeps the
    // cost linear in the text length.
    std::vector<int> mark(size_t(size), -1);
    std::vector<int> current;
    std::vector<int> next;
    std::vector<int> stack;
    current.reserve(size_t(size));
    next.reserve(size_t(size));
    int steps = 0;
    bool found = false;

    // Follows the non-consuming instructions from pc at position pos and
    // puts the consuming ones on the list. False when the budget is spent.
    auto add = [&](std::vector<int> &list, int pc, int pos) {
        stack.clear();
        stack.push_back(pc);
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            if (mark[size_t(at)] == pos)
                continue;
            mark[size_t(at)] = pos;
            if (++steps > stepBudget)
                return false;
            const Instruction &instruction = m_program.at(at);
            switch (instruction.op) {
            case Op::Jump:
                stack.push_back(instruction.arg);
                break;
            case Op::Split:
                stack.push_back(instruction.arg2);
                stack.push_back(instruction.arg);
                break;
            case Op::Begin:
                if (pos == 0)
                    stack.push_back(at + 1);
                break;
            case Op::End:
                if (pos == length)
                    stack.push_back(at + 1);
                break;
            case Op::WordBoundary: {
                const bool before = pos > 0 && isWordChar(text.at(pos - 1));
                const bool after = pos < length && isWordChar(text.at(pos));
                if ((before != after) != instruction.flag)
                    stack.push_back(at + 1);
                break;
            }
            case Op::Match:
                found = true;
                return true;
            default:
                list.push_back(at);
                break;
            }
        }
        return true;
    };

    for (int pos = 0; pos <= length; ++pos) {
        // A match may start at any position.
        if (!add(current, 0, pos))
            return false;
        if (found)
            return true;
        if (pos == length)
            break;
        const QChar c = text.at(pos);
        const ushort folded = fold(c);
        next.clear();
        for (const int at : current) {
            const Instruction &instruction = m_program.at(at);
            bool accepted = false;
            switch (instruction.op) {
            case Op::Char:
                accepted = instruction.ch == folded;
                break;
            case Op::Any:
                accepted = true;
                break;
            case Op::Class: {
                const CharClass &cls = m_classes.at(instruction.arg);
                const bool in = cls.contains(c) || cls.contains(c.toLower())
                        || cls.contains(c.toUpper()) || cls.contains(QChar(folded));
                accepted = in != instruction.flag;
                break;
            }
            default:
                break;
            }
            if (accepted && !add(next, at + 1, pos + 1))
                return false;
            if (found)
                return true;
        }
        current.swap(next);
    }
    return false;
}
