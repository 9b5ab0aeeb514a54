#include "io/ooxml/LargeXmlPart.h"

namespace quorvil::xml {

namespace {

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

} // namespace

std::optional<BigElement> FindBigElement(std::string_view xml, std::string_view local)
{
    for (std::size_t at = xml.find(local); at != std::string_view::npos; at = xml.find(local, at + 1)) {
        const std::size_t after = at + local.size();
        if (after >= xml.size())
            return {};
        const char next = xml[after];
        if (next != ' ' && next != '\t' && next != '\r' && next != '\n' && next != '>' && next != '/')
            continue;
        std::size_t start = at;
        if (start > 0 && xml[start - 1] == ':') {
            start -= 1;
            while (start > 0 && IsNameChar(xml[start - 1]))
                --start;
            if (start + 1 == at)
                continue;
        }
        if (start == 0 || xml[start - 1] != '<')
            continue;
        BigElement element;
        element.name = start;
        element.qualifiedName = xml.substr(start, after - start);
        const std::size_t end = xml.find('>', after);
        if (end == std::string_view::npos || xml[end - 1] == '/')
            return {};
        element.contentBegin = end + 1;
        const std::string endTag = "</" + std::string(element.qualifiedName);
        element.contentEnd = xml.rfind(endTag);
        if (element.contentEnd == std::string_view::npos || element.contentEnd < element.contentBegin)
            return {};
        std::size_t close = element.contentEnd + endTag.size();
        while (close < xml.size() && (xml[close] == ' ' || xml[close] == '\t' || xml[close] == '\r' || xml[close] == '\n'))
            ++close;
        if (close >= xml.size() || xml[close] != '>')
            return {};
        return element;
    }
    return {};
}

pugi::xml_node FirstElement(pugi::xml_node root, std::string_view local)
{
    return root.find_node([local](pugi::xml_node n) { return n.type() == pugi::node_element && LocalName(n.name()) == local; });
}

std::string ItemEndTag(const BigElement &element, std::string_view item)
{
    const std::size_t colon = element.qualifiedName.find(':');
    const std::string_view prefix =
        colon == std::string_view::npos ? std::string_view() : element.qualifiedName.substr(0, colon + 1);
    return "</" + std::string(prefix) + std::string(item) + ">";
}

} // namespace quorvil::xml
