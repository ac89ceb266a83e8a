#include "modules/miff/mif_format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

struct Token {
    std::string text;
    bool quoted = false;
    int line = 0;
};

bool sameWord(const std::string &a, const char *b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

// Words, numbers and quoted strings; parentheses and commas are tokens of
// their own. A quote inside a string is written twice.
bool tokenize(const std::string &text, std::vector<Token> *tokens, std::string *error)
{
    int line = 1;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '(' || c == ')' || c == ',') {
            tokens->push_back({std::string(1, c), false, line});
            ++i;
        } else if (c == '"') {
            std::string s;
            const int start = line;
            for (++i;; ++i) {
                if (i >= text.size()) {
                    *error = "line " + std::to_string(start) + ": a text is not closed";
                    return false;
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        s += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\n')
                    ++line;
                s += text[i];
            }
            tokens->push_back({s, true, start});
        } else {
            const size_t start = i;
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '(' &&
                   text[i] != ')' && text[i] != ',' && text[i] != '"')
                ++i;
            tokens->push_back({text.substr(start, i - start), false, line});
        }
    }
    return true;
}

class Reader {
public:
    Reader(const std::vector<Token> &tokens, size_t pos, std::string *error)
        : t_(tokens), pos_(pos), error_(error)
    {
    }

    bool atEnd() const { return pos_ >= t_.size(); }
    const Token &peek() const { return t_[pos_]; }
    bool peekWord(const char *w) const { return !atEnd() && !peek().quoted && sameWord(peek().text, w); }
    size_t pos() const { return pos_; }
    size_t left() const { return t_.size() - pos_; }
    void skip() { ++pos_; }

    bool fail(const std::string &what)
    {
        const int line = atEnd() ? (t_.empty() ? 0 : t_.back().line) : peek().line;
        *error_ = "line " + std::to_string(line) + ": " + what;
        return false;
    }
    bool number(double *v)
    {
        if (atEnd())
            return fail("the file ends inside an object");
        const std::string &s = peek().text;
        const char *begin = s.c_str();
        char *end = nullptr;
        const double d = std::strtod(begin, &end);
        if (peek().quoted || s.empty() || end != begin + s.size() || !std::isfinite(d))
            return fail("\"" + s + "\" is not a number");
        *v = d;
        ++pos_;
        return true;
    }
    bool count(size_t *n, size_t limit)
    {
        double d = 0;
        if (!number(&d))
            return false;
        if (d < 1 || d != std::floor(d) || d > double(limit)) {
            --pos_;
            return fail("the count " + peek().text + " is out of range");
        }
        *n = size_t(d);
        return true;
    }
    bool point(MifPoint *p) { return number(&p->x) && number(&p->y); }
    bool points(size_t n, std::vector<MifPoint> *out)
    {
        // Every point takes two tokens: a count beyond what is left is damage,
        // found before any memory is taken for it.
        if (n > left() / 2)
            return fail("the object claims more points than the file holds");
        out->resize(n);
        for (MifPoint &p : *out)
            if (!point(&p))
                return false;
        return true;
    }
    bool text(std::string *s)
    {
        if (atEnd() || !peek().quoted)
            return fail("a quoted text is missing");
        *s = peek().text;
        ++pos_;
        return true;
    }
    // A parenthesised list of values, as (1,2,0) or ("Arial",0,10,0).
    bool group(std::vector<Token> *items)
    {
        if (atEnd() || peek().text != "(" || peek().quoted)
            return fail("\"(\" is missing");
        ++pos_;
        for (;;) {
            if (atEnd())
                return fail("\")\" is missing");
            const Token &tok = peek();
            ++pos_;
            if (!tok.quoted && tok.text == ")")
                return true;
            if (!tok.quoted && tok.text == ",")
                continue;
            if (items)
                items->push_back(tok);
        }
    }

private:
    const std::vector<Token> &t_;
    size_t pos_;
    std::string *error_;
};

bool isObjectWord(const Reader &r)
{
    for (const char *w : {"none", "point", "line", "pline", "region", "text", "rect", "roundrect", "ellipse",
                          "arc", "multipoint", "collection"})
        if (r.peekWord(w))
            return true;
    return false;
}

// Style clauses after an object; the font and angle are kept for texts.
bool styleClauses(Reader &r, MifFeature *f)
{
    while (!r.atEnd() && !isObjectWord(r)) {
        if (r.peekWord("pen") || r.peekWord("brush") || r.peekWord("symbol")) {
            r.skip();
            if (!r.group(nullptr))
                return false;
        } else if (r.peekWord("font")) {
            r.skip();
            std::vector<Token> items;
            if (!r.group(&items))
                return false;
            if (f->kind == MifKind::Text && !items.empty()) {
                f->face = items[0].text;
                auto num = [&](size_t i) {
                    return i < items.size() ? std::atof(items[i].text.c_str()) : 0.0;
                };
                f->fontStyle = int(num(1)) & 3;
                f->fontSize = int(num(2));
                f->fontColour = uint32_t(num(3)) & 0xFFFFFF;
            }
        } else if (r.peekWord("center")) {
            r.skip();
            MifPoint p;
            if (!r.point(&p))
                return false;
        } else if (r.peekWord("angle")) {
            r.skip();
            if (!r.number(&f->angle))
                return false;
        } else if (r.peekWord("spacing")) {
            r.skip();
            double d;
            if (!r.number(&d))
                return false;
        } else if (r.peekWord("justify")) {
            r.skip();
            if (r.atEnd())
                return r.fail("the justification is missing");
            r.skip();
        } else if (r.peekWord("label")) {
            // Label Line Simple|Arrow x y
            r.skip();
            if (!r.peekWord("line"))
                return r.fail("\"Line\" is missing after \"Label\"");
            r.skip();
            if (r.atEnd())
                return r.fail("the label line kind is missing");
            r.skip();
            MifPoint p;
            if (!r.point(&p))
                return false;
        } else if (r.peekWord("smooth")) {
            r.skip();
        } else {
            return r.fail("\"" + r.peek().text + "\" is not an object or a style");
        }
    }
    return true;
}

bool object(Reader &r, MifFeature *f)
{
    const std::string word = r.peek().text;
    r.skip();
    if (sameWord(word, "none")) {
        f->kind = MifKind::None;
        return true;
    }
    if (sameWord(word, "point")) {
        f->kind = MifKind::Point;
        f->parts.resize(1);
        return r.points(1, &f->parts[0]);
    }
    if (sameWord(word, "multipoint")) {
        size_t n = 0;
        f->kind = MifKind::Point;
        f->parts.resize(1);
        return r.count(&n, kMifMaxPoints) && r.points(n, &f->parts[0]);
    }
    if (sameWord(word, "line")) {
        f->kind = MifKind::Pline;
        f->parts.resize(1);
        return r.points(2, &f->parts[0]);
    }
    if (sameWord(word, "pline")) {
        f->kind = MifKind::Pline;
        size_t sections = 1;
        if (r.peekWord("multiple")) {
            r.skip();
            if (!r.count(&sections, kMifMaxPoints))
                return false;
            if (sections > r.left())
                return r.fail("the polyline claims more sections than the file holds");
        }
        f->parts.resize(sections);
        for (auto &part : f->parts) {
            size_t n = 0;
            if (!r.count(&n, kMifMaxPoints) || !r.points(n, &part))
                return false;
        }
        return true;
    }
    if (sameWord(word, "region")) {
        f->kind = MifKind::Region;
        size_t rings = 0;
        if (!r.count(&rings, kMifMaxPoints))
            return false;
        if (rings > r.left())
            return r.fail("the region claims more rings than the file holds");
        f->parts.resize(rings);
        for (auto &ring : f->parts) {
            size_t n = 0;
            if (!r.count(&n, kMifMaxPoints) || !r.points(n, &ring))
                return false;
            if (n < 3)
                return r.fail("a region ring has fewer than three points");
        }
        return true;
    }
    if (sameWord(word, "rect") || sameWord(word, "roundrect")) {
        f->kind = MifKind::Region;
        MifPoint a, b;
        if (!r.point(&a) || !r.point(&b))
            return false;
        if (sameWord(word, "roundrect")) {
            double radius;
            if (!r.number(&radius))
                return false;
        }
        f->parts = {{{a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}}};
        return true;
    }
    if (sameWord(word, "text")) {
        f->kind = MifKind::Text;
        f->parts.resize(1);
        f->parts[0].resize(1);
        return r.text(&f->text) && r.point(&f->parts[0][0]) && r.point(&f->textCorner);
    }
    return r.fail("objects of the kind \"" + word + "\" are not read");
}

} // namespace

int MifDocument::Column(const std::string &name) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (sameWord(columns[i], name.c_str()))
            return int(i);
    return -1;
}

namespace {

bool header(Reader &r, MifDocument *doc)
{
    while (!r.atEnd() && !r.peekWord("data")) {
        if (r.peekWord("delimiter")) {
            r.skip();
            std::string d;
            if (!r.text(&d))
                return false;
            if (d.size() != 1)
                return r.fail("the delimiter must be one character");
            doc->delimiter = d[0];
        } else if (r.peekWord("columns")) {
            r.skip();
            size_t n = 0;
            if (!r.count(&n, 4096))
                return false;
            for (size_t i = 0; i < n; ++i) {
                if (r.atEnd() || r.peekWord("data"))
                    return r.fail("fewer columns than announced");
                doc->columns.push_back(r.peek().text);
                r.skip();
                if (r.atEnd())
                    return r.fail("a column has no type");
                r.skip(); // the type
                if (!r.atEnd() && r.peek().text == "(" && !r.group(nullptr))
                    return false;
            }
        } else {
            r.skip(); // version, charset, coordinate system, index, unique, transform
        }
    }
    if (r.atEnd())
        return r.fail("\"Data\" is missing: this is not an interchange file");
    r.skip();
    return true;
}

std::vector<std::string> splitRow(const std::string &line, char delimiter)
{
    std::vector<std::string> values;
    std::string value;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                value += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                value += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == delimiter) {
            values.push_back(value);
            value.clear();
        } else {
            value += c;
        }
    }
    values.push_back(value);
    return values;
}

} // namespace

bool ParseMif(const std::string &mif, const std::string *mid, MifDocument *doc, std::string *error)
{
    *doc = MifDocument{};
    std::vector<Token> tokens;
    if (!tokenize(mif, &tokens, error))
        return false;
    Reader r(tokens, 0, error);
    if (!header(r, doc))
        return false;
    while (!r.atEnd()) {
        if (r.peekWord("ellipse") || r.peekWord("arc") || r.peekWord("collection"))
            return r.fail("objects of the kind \"" + r.peek().text + "\" are not read");
        if (!isObjectWord(r))
            return r.fail("\"" + r.peek().text + "\" is not an object");
        MifFeature f;
        if (!object(r, &f) || !styleClauses(r, &f))
            return false;
        doc->features.push_back(std::move(f));
    }
    if (!mid)
        return true;
    std::vector<std::string> rows;
    size_t start = 0;
    while (start < mid->size()) {
        size_t end = mid->find('\n', start);
        if (end == std::string::npos)
            end = mid->size();
        std::string line = mid->substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        rows.push_back(line);
        start = end + 1;
    }
    if (rows.size() < doc->features.size()) {
        *error = "the attribute file has " + std::to_string(rows.size()) + " rows for " +
                 std::to_string(doc->features.size()) + " objects";
        return false;
    }
    for (size_t i = 0; i < doc->features.size(); ++i) {
        doc->features[i].values = splitRow(rows[i], doc->delimiter);
        if (doc->features[i].values.size() != doc->columns.size() && !doc->columns.empty()) {
            *error = "row " + std::to_string(i + 1) + " of the attribute file has " +
                     std::to_string(doc->features[i].values.size()) + " values for " +
                     std::to_string(doc->columns.size()) + " columns";
            return false;
        }
    }
    return true;
}

std::string MifNumber(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

namespace {

std::string quoted(const std::string &s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"')
            out += '"';
        out += (c == '\n' || c == '\r') ? ' ' : c;
    }
    return out + "\"";
}

bool isInteger(const std::string &s)
{
    size_t i = (!s.empty() && s[0] == '-') ? 1 : 0;
    if (i >= s.size() || s.size() > 11)
        return false;
    return std::all_of(s.begin() + long(i), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string pointLine(const MifPoint &p) { return MifNumber(p.x) + " " + MifNumber(p.y) + "\n"; }

} // namespace

std::string WriteMif(const MifDocument &doc, const std::vector<MifColumnSpec> &columns, double xmin,
                     double ymin, double xmax, double ymax)
{
    std::string out = "Version 300\nCharset \"WindowsLatin1\"\nDelimiter " +
                      quoted(std::string(1, doc.delimiter)) + "\nCoordSys NonEarth Units \"m\" Bounds (" +
                      MifNumber(xmin) + ", " + MifNumber(ymin) + ") (" + MifNumber(xmax) + ", " +
                      MifNumber(ymax) + ")\nColumns " + std::to_string(columns.size()) + "\n";
    for (const MifColumnSpec &c : columns)
        out += "  " + c.name + " " + c.type + "\n";
    out += "Data\n\n";
    for (const MifFeature &f : doc.features) {
        switch (f.kind) {
        case MifKind::None:
            out += "none\n";
            break;
        case MifKind::Point:
            out += "Point " + MifNumber(f.parts[0][0].x) + " " + MifNumber(f.parts[0][0].y) + "\n";
            break;
        case MifKind::Pline:
            if (f.parts.size() > 1)
                out += "Pline Multiple " + std::to_string(f.parts.size()) + "\n";
            for (size_t i = 0; i < f.parts.size(); ++i) {
                out += (f.parts.size() > 1 ? "  " : "Pline ") + std::to_string(f.parts[i].size()) + "\n";
                for (const MifPoint &p : f.parts[i])
                    out += pointLine(p);
            }
            out += "    Pen (1,2,0)\n";
            break;
        case MifKind::Region:
            out += "Region " + std::to_string(f.parts.size()) + "\n";
            for (const auto &ring : f.parts) {
                out += "  " + std::to_string(ring.size()) + "\n";
                for (const MifPoint &p : ring)
                    out += pointLine(p);
            }
            out += "    Pen (1,2,0)\n    Brush (1,0,16777215)\n";
            break;
        case MifKind::Text:
            out += "Text\n    " + quoted(f.text) + "\n    " + MifNumber(f.parts[0][0].x) + " " +
                   MifNumber(f.parts[0][0].y) + " " + MifNumber(f.textCorner.x) + " " +
                   MifNumber(f.textCorner.y) + "\n    Font (" + quoted(f.face) + "," +
                   std::to_string(f.fontStyle) + "," + std::to_string(f.fontSize) + "," +
                   std::to_string(f.fontColour) + ")\n";
            if (f.angle != 0)
                out += "    Angle " + MifNumber(f.angle) + "\n";
            break;
        }
    }
    return out;
}

std::string WriteMid(const MifDocument &doc)
{
    std::string out;
    for (const MifFeature &f : doc.features) {
        for (size_t i = 0; i < f.values.size(); ++i) {
            if (i)
                out += doc.delimiter;
            out += isInteger(f.values[i]) ? f.values[i] : quoted(f.values[i]);
        }
        out += "\n";
    }
    return out;
}
