#include "io/dxf/DxfText.h"

#include <cmath>

namespace quorvil {

QString MTextPlainText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'{' || c == u'}')
            continue;
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar k = text.at(++i);
        switch (k.unicode()) {
        case 'P':
            out += u'\n';
            break;
        case '~':
            out += u' ';
            break;
        case '\\':
        case '{':
        case '}':
            out += k;
            break;
        case 'S': { // stacked fraction a^b; or a/b; or a#b;
            const qsizetype end = text.indexOf(u';', i + 1);
            QString stack = text.mid(i + 1, end < 0 ? -1 : end - i - 1);
            stack.replace(u'^', u'/').replace(u'#', u'/');
            out += stack;
            i = end < 0 ? text.size() : end;
            break;
        }
        case 'A': case 'C': case 'c': case 'F': case 'f': case 'H': case 'h': case 'Q': case 'q':
        case 'T': case 't': case 'W': case 'w': case 'p': {
            const qsizetype end = text.indexOf(u';', i + 1);
            i = end < 0 ? text.size() : end;
            break;
        }
        default: // \L \l \O \o \K \k and unknown codes: switches without text
            break;
        }
    }
    return out;
}

QString DxfTextWithSymbols(const QString &text, std::vector<std::pair<int, int>> *underline,
                           std::vector<std::pair<int, int>> *overline)
{
    if (!text.contains(QLatin1String("%%")))
        return text;
    QString out;
    out.reserve(text.size());
    int underlineFrom = -1, overlineFrom = -1;
    auto toggle = [&](int &from, std::vector<std::pair<int, int>> *spans) {
        if (from < 0) {
            from = int(out.size());
            return;
        }
        if (spans && out.size() > from)
            spans->emplace_back(from, int(out.size()));
        from = -1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'%' || i + 2 >= text.size() || text.at(i + 1) != u'%') {
            out += c;
            continue;
        }
        const QChar k = text.at(i + 2).toLower();
        switch (k.unicode()) {
        case 'c': out += QChar(0x00D8); break; // diameter
        case 'd': out += QChar(0x00B0); break; // degree
        case 'p': out += QChar(0x00B1); break; // plus or minus
        case '%': out += u'%'; break;
        case 'u': toggle(underlineFrom, underline); break;
        case 'o': toggle(overlineFrom, overline); break;
        default:
            if (k.isDigit()) { // %%nnn: the character of that code
                int code = 0;
                qsizetype j = i + 2;
                for (; j < text.size() && j < i + 5 && text.at(j).isDigit(); ++j)
                    code = code * 10 + text.at(j).digitValue();
                if (code > 0)
                    out += QChar(char16_t(code));
                i = j - 1;
                continue;
            }
            out += c; // not a code: as it stands
            continue;
        }
        i += 2;
    }
    if (underlineFrom >= 0)
        toggle(underlineFrom, underline);
    if (overlineFrom >= 0)
        toggle(overlineFrom, overline);
    return out;
}

DxfVec DxfOcsToWorld(const DxfVec &n, const DxfVec &p)
{
    if (n.x == 0 && n.y == 0 && n.z == 1)
        return p;
    // The arbitrary axis algorithm of DXF.
    DxfVec ax = std::fabs(n.x) < 1.0 / 64 && std::fabs(n.y) < 1.0 / 64 ? DxfVec{n.z, 0, -n.x} : DxfVec{-n.y, n.x, 0};
    const double la = std::sqrt(ax.x * ax.x + ax.y * ax.y + ax.z * ax.z);
    if (!(la > 0))
        return p;
    ax = {ax.x / la, ax.y / la, ax.z / la};
    DxfVec ay{n.y * ax.z - n.z * ax.y, n.z * ax.x - n.x * ax.z, n.x * ax.y - n.y * ax.x};
    const double ly = std::sqrt(ay.x * ay.x + ay.y * ay.y + ay.z * ay.z);
    if (ly > 0)
        ay = {ay.x / ly, ay.y / ly, ay.z / ly};
    return {p.x * ax.x + p.y * ay.x + p.z * n.x, p.x * ax.y + p.y * ay.y + p.z * n.y, p.x * ax.z + p.y * ay.z + p.z * n.z};
}

} // namespace quorvil
