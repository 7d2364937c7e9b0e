// Writes the code that the PDF library's entry-point table stands for: the
// stand-in library's exports, the loader's look-up table and forwarders and
// the Qt binding's members. One table feeds all of them, so a name, a
// parameter or a result kind can never differ between the library and its
// callers.
//
//   entrygen MODE TABLE OUTPUT [TEMPLATE]
//
// Modes: library-exports, library-entries, loader-header, loader-source,
// binding-header, binding-source. The header modes fill the placeholders of
// a template ("@NAME@" on a line of its own). The output is rewritten only
// when its text changed, so an unchanged table rebuilds nothing.
//
// Plain standard C++ on purpose: it is built and run before anything else,
// on a machine that may have nothing but the compiler.

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Parameter
{
    std::string kind;
    std::string name;
};

struct Entry
{
    int index = 0;
    int line = 0;
    std::string result;
    std::string name;
    std::vector<Parameter> parameters;
    bool real = false;
    bool loader = false;
    bool noInstance = false;
};

[[noreturn]] void die(const std::string &message)
{
    std::cerr << "entrygen: " << message << '\n';
    std::exit(1);
}

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool isIdentifier(const std::string &text)
{
    if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_'))
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

const std::set<std::string> &resultKinds()
{
    static const std::set<std::string> kinds { "int", "double", "text", "bytes", "hdc", "buffer" };
    return kinds;
}

const std::set<std::string> &parameterKinds()
{
    static const std::set<std::string> kinds { "int", "double",  "text",   "bytes",
                                               "hdc", "pointer", "buffer", "data" };
    return kinds;
}

std::vector<Entry> readTable(const std::string &path)
{
    std::ifstream in(path);
    if (!in)
        die("cannot read " + path);
    std::vector<Entry> entries;
    std::string raw;
    int lineNumber = 0;
    while (std::getline(in, raw)) {
        ++lineNumber;
        const std::string line = trimmed(raw);
        if (line.empty() || line[0] == '#')
            continue;
        const std::string where = path + ":" + std::to_string(lineNumber) + ": ";
        const auto open = line.find('(');
        const auto close = line.find(')');
        if (open == std::string::npos || close == std::string::npos || close < open)
            die(where + "expected 'result Name(parameters) [flags]'");
        Entry entry;
        entry.line = lineNumber;
        std::istringstream head(line.substr(0, open));
        head >> entry.result >> entry.name;
        if (!resultKinds().count(entry.result))
            die(where + "unknown result kind '" + entry.result + "'");
        if (!isIdentifier(entry.name))
            die(where + "bad name '" + entry.name + "'");
        std::istringstream list(line.substr(open + 1, close - open - 1));
        std::string item;
        std::set<std::string> seen;
        while (std::getline(list, item, ',')) {
            std::istringstream words(trimmed(item));
            Parameter parameter;
            words >> parameter.kind >> parameter.name;
            if (!parameterKinds().count(parameter.kind))
                die(where + "unknown parameter kind '" + parameter.kind + "'");
            if (!isIdentifier(parameter.name) || !seen.insert(parameter.name).second)
                die(where + "bad or repeated parameter name '" + parameter.name + "'");
            entry.parameters.push_back(parameter);
        }
        std::istringstream flags(line.substr(close + 1));
        std::string flag;
        while (flags >> flag) {
            if (flag == "real")
                entry.real = true;
            else if (flag == "loader")
                entry.loader = true;
            else if (flag == "noinstance")
                entry.noInstance = true;
            else
                die(where + "unknown flag '" + flag + "'");
        }
        if ((entry.result == "buffer"
             || std::any_of(
                     entry.parameters.begin(), entry.parameters.end(),
                     [](const Parameter &p) { return p.kind == "buffer" || p.kind == "data"; }))
            && !entry.loader) {
            die(where + "buffer and data kinds belong to the loader's own entries");
        }
        entry.index = static_cast<int>(entries.size());
        entries.push_back(entry);
    }
    if (entries.empty())
        die(path + ": no entries");
    // The look-up order is part of the contract: the progress callback
    // first, every other name in byte order after it.
    if (entries.front().name != "SetProgressCallback")
        die(path + ": SetProgressCallback must come first");
    std::set<std::string> names;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!names.insert(entries[i].name).second)
            die(path + ": " + entries[i].name + " is listed twice");
        if (i > 1 && !(entries[i - 1].name < entries[i].name))
            die(path + ":" + std::to_string(entries[i].line) + ": " + entries[i].name
                + " is out of byte order");
    }
    return entries;
}

// ---- types on each side ---------------------------------------------------

// At the library's C boundary.
std::string exportResultType(const std::string &kind)
{
    static const std::map<std::string, std::string> types { { "int", "int" },
                                                            { "double", "double" },
                                                            { "text", "const wchar_t *" },
                                                            { "bytes", "const char *" },
                                                            { "hdc", "gdi::HDC" },
                                                            { "buffer", "char *" } };
    return types.at(kind);
}

std::string exportParameterType(const std::string &kind)
{
    static const std::map<std::string, std::string> types {
        { "int", "int" },       { "double", "double" },    { "text", "const wchar_t *" },
        { "bytes", "char *" },  { "hdc", "gdi::HDC" },     { "pointer", "void *" },
        { "buffer", "char *" }, { "data", "const char *" }
    };
    return types.at(kind);
}

// In the loader's forwarders and the stand-in's implementations.
std::string cppResultType(const std::string &kind)
{
    static const std::map<std::string, std::string> types { { "int", "int" },
                                                            { "double", "double" },
                                                            { "text", "std::wstring" },
                                                            { "bytes", "std::string" },
                                                            { "hdc", "gdi::HDC" } };
    return types.at(kind);
}

std::string cppParameterType(const std::string &kind)
{
    static const std::map<std::string, std::string> types {
        { "int", "int" },
        { "double", "double" },
        { "text", "const std::wstring &" },
        { "bytes", "const std::string &" },
        { "hdc", "gdi::HDC" },
        { "pointer", "void *" },
    };
    return types.at(kind);
}

// In the Qt binding.
std::string qtResultType(const std::string &kind)
{
    static const std::map<std::string, std::string> types { { "int", "int" },
                                                            { "double", "double" },
                                                            { "text", "QString" },
                                                            { "bytes", "QString" },
                                                            { "hdc", "gdi::HDC" } };
    return types.at(kind);
}

std::string qtParameterType(const std::string &kind)
{
    static const std::map<std::string, std::string> types {
        { "int", "int" },       { "double", "double" }, { "text", "QString" },
        { "bytes", "QString" }, { "hdc", "gdi::HDC" },  { "pointer", "void *" },
    };
    return types.at(kind);
}

std::string defaultValue(const std::string &kind)
{
    static const std::map<std::string, std::string> values { { "int", "0" },
                                                             { "double", "0.0" },
                                                             { "text", "std::wstring()" },
                                                             { "bytes", "std::string()" },
                                                             { "hdc", "nullptr" } };
    return values.at(kind);
}

std::string joined(const std::vector<std::string> &items, const std::string &separator)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i)
            text += separator;
        text += items[i];
    }
    return text;
}

std::string declaration(const std::string &type, const std::string &name)
{
    // House style: "Type *name", "const Type &name".
    if (!type.empty() && (type.back() == '*' || type.back() == '&'))
        return type + name;
    return type + " " + name;
}

using TypeOf = std::string (*)(const std::string &kind);

// "Type Name, Type Name" for an entry's parameters, typed for one side.
std::string parameterList(const Entry &entry, TypeOf typeOf)
{
    std::vector<std::string> parameters;
    for (const Parameter &p : entry.parameters)
        parameters.push_back(declaration(typeOf(p.kind), p.name));
    return joined(parameters, ", ");
}

// One member declaration a line for every forwarded entry.
std::string memberDeclarations(const std::vector<Entry> &entries, const std::string &prefix,
                               TypeOf resultType, TypeOf parameterType)
{
    std::ostringstream out;
    for (const Entry &entry : entries) {
        if (!entry.loader)
            out << "    " << prefix << resultType(entry.result) << " " << entry.name << "("
                << parameterList(entry, parameterType) << ");\n";
    }
    return out.str();
}

// ---- stand-in library -------------------------------------------------------

std::string libraryExports(const std::vector<Entry> &entries)
{
    std::ostringstream out;
    out << "// Generated from the entry-point table; do not edit.\n"
           "// Every entry point of the library, exported by its name. The entries with a\n"
           "// real implementation forward to pdflibrary::entry; the others answer\n"
           "// \"not supported\".\n\n"
           "#include \"platform/pdflibrary/instance.h\"\n\n"
           "#include \"platform/pdflibrary/entries.h\"\n\n"
           "using namespace pdflibrary;\n\n"
           "extern \"C\" {\n";
    for (const Entry &entry : entries) {
        if (entry.loader)
            continue;
        std::vector<std::string> parameters { "int InstanceID" };
        std::vector<std::string> arguments { "library" };
        for (const Parameter &p : entry.parameters) {
            const std::string type = exportParameterType(p.kind);
            parameters.push_back(entry.real ? declaration(type, p.name)
                                            : declaration(type, "/*" + p.name + "*/"));
            if (p.kind == "text")
                arguments.push_back("wide(" + p.name + ")");
            else if (p.kind == "bytes")
                arguments.push_back("library.bufferBytes(" + p.name + ")");
            else
                arguments.push_back(p.name);
        }
        out << "\nVL_PDFLIBRARY_EXPORT " << exportResultType(entry.result)
            << (exportResultType(entry.result).back() == '*' ? "" : " ") << "DPL" << entry.name
            << "(" << joined(parameters, ", ") << ")\n{\n";
        if (!entry.real) {
            const std::string helper = entry.result == "text" ? "notSupportedText"
                    : entry.result == "bytes"
                    ? "notSupportedBytes"
                    : "notSupported<" + exportResultType(entry.result) + ">";
            out << "    return " << helper << "(InstanceID);\n}\n";
            continue;
        }
        const std::string helper = entry.result == "text" ? "callText"
                : entry.result == "bytes"                 ? "callBytes"
                                          : "call<" + exportResultType(entry.result) + ">";
        out << "    return " << helper << "(InstanceID, [&](Instance &library) {\n"
            << "        return entry::" << entry.name << "(" << joined(arguments, ", ") << ");\n"
            << "    });\n}\n";
    }
    out << "\n} // extern \"C\"\n";
    return out.str();
}

std::string libraryEntries(const std::vector<Entry> &entries)
{
    std::ostringstream out;
    out << "// Generated from the entry-point table; do not edit.\n"
           "// The entry points the stand-in library implements for real. Each is called\n"
           "// with the instance locked; it sets the instance's last error code when it\n"
           "// fails and may throw (the export turns an exception into a failure).\n\n"
           "#pragma once\n\n"
           "#include \"platform/gdi/gdi.h\"\n\n"
           "#include <string>\n\n"
           "namespace pdflibrary {\n\nclass Instance;\n\nnamespace entry {\n\n";
    int count = 0;
    for (const Entry &entry : entries) {
        if (!entry.real || entry.loader)
            continue;
        ++count;
        const std::string parameters = parameterList(entry, cppParameterType);
        out << cppResultType(entry.result) << " " << entry.name << "(Instance &library"
            << (parameters.empty() ? "" : ", ") << parameters << ");\n";
    }
    out << "\n} // namespace entry\n\n"
        << "// Entry points with a real implementation, the loader's own included.\n"
        << "constexpr int realEntryCount = "
        << count
                    + std::count_if(entries.begin(), entries.end(),
                                    [](const Entry &e) { return e.loader; })
        << ";\n\n} // namespace pdflibrary\n";
    return out.str();
}

// ---- loader -----------------------------------------------------------------

std::string loaderIndexes(const std::vector<Entry> &entries)
{
    std::ostringstream out;
    out << "    static constexpr int entryCount = " << entries.size() << ";\n";
    for (const Entry &entry : entries) {
        if (entry.loader)
            out << "    static constexpr int " << entry.name << "Entry = " << entry.index << ";\n";
    }
    return out.str();
}

std::string entryPointerType(const Entry &entry)
{
    std::vector<std::string> types;
    if (!entry.noInstance)
        types.push_back("int");
    for (const Parameter &p : entry.parameters)
        types.push_back(exportParameterType(p.kind));
    return exportResultType(entry.result) + " (*)(" + joined(types, ", ") + ")";
}

std::string loaderSource(const std::vector<Entry> &entries)
{
    std::ostringstream out;
    out << "// Generated from the entry-point table; do not edit.\n"
           "// The loader's look-up names and its forwarding members.\n\n"
           "#include \"pdf/ondarelpdflibrarydll1016.h\"\n\n"
           "const char *const OndarelPDFLibraryDLL1016::entryNames[entryCount] = {\n";
    for (const Entry &entry : entries)
        out << "    \"DPL" << entry.name << "\",\n";
    out << "};\n";

    for (const Entry &entry : entries) {
        if (entry.loader)
            continue;
        std::vector<std::string> arguments { "m_instanceId" };
        std::vector<std::string> buffers;
        for (const Parameter &p : entry.parameters) {
            if (p.kind == "text") {
                arguments.push_back(p.name + ".c_str()");
            } else if (p.kind == "bytes") {
                buffers.push_back(p.name);
                arguments.push_back(p.name + "Buffer.data()");
            } else {
                arguments.push_back(p.name);
            }
        }
        out << "\n"
            << cppResultType(entry.result) << " OndarelPDFLibraryDLL1016::" << entry.name << "("
            << parameterList(entry, cppParameterType) << ")\n{\n"
            << "    using Entry = " << entryPointerType(entry) << ";\n"
            << "    const auto entry = reinterpret_cast<Entry>(m_entries[" << entry.index << "]);\n"
            << "    if (!entry)\n"
            << "        return " << defaultValue(entry.result) << ";\n"
            << "    const std::lock_guard<std::mutex> lock(m_mutex);\n";
        for (const std::string &name : buffers) {
            out << "    const LibraryBuffer " << name << "Buffer(*this, " << name << ");\n"
                << "    if (!" << name << "Buffer.isValid())\n"
                << "        return " << defaultValue(entry.result) << ";\n";
        }
        const std::string call = "entry(" + joined(arguments, ", ") + ")";
        if (entry.result == "text") {
            out << "    const wchar_t *const result = " << call << ";\n";
            // A byte-string argument's buffer goes back before the length is
            // asked, as the library expects.
            for (const std::string &name : buffers)
                out << "    " << name << "Buffer.release();\n";
            out << "    return takeText(result);\n";
        } else if (entry.result == "bytes") {
            out << "    const char *const result = " << call << ";\n";
            for (const std::string &name : buffers)
                out << "    " << name << "Buffer.release();\n";
            out << "    return takeBytes(result);\n";
        } else {
            out << "    return " << call << ";\n";
        }
        out << "}\n";
    }
    return out.str();
}

// ---- Qt binding ---------------------------------------------------------------

std::string bindingSource(const std::vector<Entry> &entries)
{
    std::ostringstream out;
    out << "// Generated from the entry-point table; do not edit.\n"
           "// One member per entry point: text converted, the loader's member called.\n\n"
           "#include \"pdf/ondarelpdflibrarydll1016qt.h\"\n\n"
           "#include \"pdf/ondarelpdflibrarydll1016.h\"\n";
    for (const Entry &entry : entries) {
        if (entry.loader)
            continue;
        std::vector<std::string> arguments;
        for (const Parameter &p : entry.parameters) {
            if (p.kind == "text")
                arguments.push_back(p.name + ".toStdWString()");
            else if (p.kind == "bytes")
                arguments.push_back(p.name + ".toStdString()");
            else
                arguments.push_back(p.name);
        }
        const std::string call = "loader->" + entry.name + "(" + joined(arguments, ", ") + ")";
        out << "\n"
            << qtResultType(entry.result) << " OndarelPDFLibraryDLLQt1016::" << entry.name << "("
            << parameterList(entry, qtParameterType) << ")\n{\n";
        if (entry.result == "text")
            out << "    return QString::fromStdWString(" << call << ");\n";
        else if (entry.result == "bytes")
            out << "    return QString::fromStdString(" << call << ");\n";
        else
            out << "    return " << call << ";\n";
        out << "}\n";
    }
    return out.str();
}

// ---- output -----------------------------------------------------------------

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string filled(const std::string &templatePath,
                   const std::map<std::string, std::string> &blocks)
{
    std::istringstream in(readFile(templatePath));
    if (in.str().empty())
        die("cannot read template " + templatePath);
    std::ostringstream out;
    out << "// Generated from " << templatePath.substr(templatePath.find_last_of('/') + 1)
        << " and the entry-point table; do not edit.\n";
    std::string line;
    std::set<std::string> used;
    while (std::getline(in, line)) {
        const std::string key = trimmed(line);
        const auto block = blocks.find(key);
        if (block != blocks.end()) {
            out << block->second;
            used.insert(key);
        } else {
            out << line << '\n';
        }
    }
    for (const auto &block : blocks) {
        if (!used.count(block.first))
            die(templatePath + ": placeholder " + block.first + " is missing");
    }
    return out.str();
}

void writeIfChanged(const std::string &path, const std::string &text)
{
    if (readFile(path) == text)
        return;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        die("cannot write " + path);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 4)
        die("usage: entrygen MODE TABLE OUTPUT [TEMPLATE]");
    const std::string mode = argv[1];
    const std::vector<Entry> entries = readTable(argv[2]);
    const std::string output = argv[3];
    const std::string templatePath = argc > 4 ? argv[4] : std::string();
    auto needTemplate = [&]() {
        if (templatePath.empty())
            die(mode + " needs a template");
    };

    if (mode == "library-exports") {
        writeIfChanged(output, libraryExports(entries));
    } else if (mode == "library-entries") {
        writeIfChanged(output, libraryEntries(entries));
    } else if (mode == "loader-header") {
        needTemplate();
        writeIfChanged(
                output,
                filled(templatePath,
                       { { "@ENTRY_INDEXES@", loaderIndexes(entries) },
                         { "@FORWARDERS@",
                           memberDeclarations(entries, "", cppResultType, cppParameterType) } }));
    } else if (mode == "loader-source") {
        writeIfChanged(output, loaderSource(entries));
    } else if (mode == "binding-header") {
        needTemplate();
        writeIfChanged(output,
                       filled(templatePath,
                              { { "@MEMBERS@",
                                  memberDeclarations(entries, "Q_INVOKABLE ", qtResultType,
                                                     qtParameterType) } }));
    } else if (mode == "binding-source") {
        writeIfChanged(output, bindingSource(entries));
    } else {
        die("unknown mode " + mode);
    }
    return 0;
}
