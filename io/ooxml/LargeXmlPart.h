// Large XML parts of a package (a sheet of a million rows, its shared strings) read with pugixml
// in document order, a piece at a time: the content of the part's one big element is parsed in
// pieces of whole items, so that the parsed nodes stay few and in the processor's cache whatever
// the size of the part.
#pragma once

#include <QByteArray>

#include <pugixml.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorvil::xml {

inline std::string_view LocalName(std::string_view name)
{
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// How the large parts are parsed: character data as it stands (line ends included), a text of
// white space kept when it is all an element holds (" " in a cell), and the text of an element
// stored in the element itself, which halves the nodes of a sheet.
constexpr unsigned LargePartOptions = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_ws_pcdata_single |
                                      pugi::parse_embed_pcdata;
// The content of a large part's big element is parsed in pieces of about this size.
constexpr std::size_t PieceBytes = std::size_t(16) << 10;

// Hands the content of `root` in document order to `handler`: open(element, empty) for each element
// (empty when it holds nothing at all), text(characters) for its character data, and close(element)
// after the content of one that is not empty.
template <typename Handler>
void Walk(pugi::xml_node root, Handler &handler)
{
    pugi::xml_node node = root.first_child();
    while (node) {
        pugi::xml_node child;
        switch (node.type()) {
        case pugi::node_element: {
            child = node.first_child();
            const char *value = node.value();
            const bool empty = !child && !*value;
            handler.open(node, empty);
            if (*value)
                handler.text(std::string_view(value));
            if (!empty && !child)
                handler.close(node);
            break;
        }
        case pugi::node_pcdata:
        case pugi::node_cdata:
            handler.text(std::string_view(node.value()));
            break;
        default:
            break;
        }
        if (child) {
            node = child;
            continue;
        }
        // The next node in document order, closing the elements left on the way up.
        pugi::xml_node next = node.next_sibling();
        while (!next) {
            node = node.parent();
            if (node == root)
                return;
            handler.close(node);
            next = node.next_sibling();
        }
        node = next;
    }
}

// Where the big element of a large part stands in its text: its name with the prefix written,
// the end of its start tag and the start of its end tag.
struct BigElement {
    std::size_t name = 0;
    std::string_view qualifiedName;
    std::size_t contentBegin = 0, contentEnd = 0;
};

// The first element named `local` (with any prefix) as a text search finds it, with the last end
// tag of that name; nothing when there is none or it is empty. A name found inside a comment or
// character data is caught by the parser afterwards.
std::optional<BigElement> FindBigElement(std::string_view xml, std::string_view local);

// The first element of `root` in document order whose local name is `local`.
pugi::xml_node FirstElement(pugi::xml_node root, std::string_view local);

// The end tag of an item of the big element, with the big element's prefix: "</x:row>".
std::string ItemEndTag(const BigElement &element, std::string_view item);

// Hands the content of the big element to `handler` in pieces of whole items, each cut after an
// end tag of theirs; false when a piece is not well-formed.
template <typename Handler>
bool WalkContentInPieces(std::string_view xml, const BigElement &element, const std::string &itemEnd, Handler &handler)
{
    pugi::xml_document piece;
    for (std::size_t at = element.contentBegin; at < element.contentEnd;) {
        std::size_t cut = element.contentEnd;
        if (cut - at > PieceBytes) {
            const std::size_t found = xml.find(itemEnd, at + PieceBytes);
            if (found != std::string_view::npos && found + itemEnd.size() <= element.contentEnd)
                cut = found + itemEnd.size();
        }
        if (!piece.load_buffer(xml.data() + at, cut - at, LargePartOptions | pugi::parse_fragment, pugi::encoding_utf8))
            return false;
        Walk(piece, handler);
        at = cut;
    }
    return true;
}

// Hands a large part to `handler` a piece at a time: the content of its big element (`big`: the
// sheet's rows, the shared strings) in pieces of whole `item`s, and the rest of the part as a
// document of its own with the big element's content handed over where the element stands. Every
// piece is parsed by pugixml: a cut in the wrong place (an end tag inside a comment, say) leaves a
// piece that is not well-formed, and so does a big element found in the wrong place; then false,
// and the part is to be read whole.
template <typename Handler>
bool WalkInPieces(std::string_view xml, std::string_view big, std::string_view item, Handler &handler)
{
    const std::optional<BigElement> element = FindBigElement(xml, big);
    if (!element)
        return false;
    std::string rest(xml.substr(0, element->contentBegin));
    rest += xml.substr(element->contentEnd);
    pugi::xml_document outside;
    if (!outside.load_buffer(rest.data(), rest.size(), LargePartOptions, pugi::encoding_utf8))
        return false;
    const pugi::xml_node container = FirstElement(outside, big);
    if (!container || container.offset_debug() != std::ptrdiff_t(element->name))
        return false;

    struct Around {
        Handler &handler;
        pugi::xml_node container;
        std::string_view xml;
        const BigElement &element;
        const std::string itemEnd;
        bool whole = true;

        void open(pugi::xml_node node, bool empty)
        {
            if (node != container) {
                handler.open(node, empty);
                return;
            }
            handler.open(node, false);
            whole = whole && WalkContentInPieces(xml, element, itemEnd, handler);
            handler.close(node);
        }
        void close(pugi::xml_node node) { handler.close(node); }
        void text(std::string_view text) { handler.text(text); }
    } around{handler, container, xml, *element, ItemEndTag(*element, item)};
    Walk(outside, around);
    return around.whole;
}

// Hands a large part to a handler made by `make`, in pieces when it can; nothing when the part is
// not well-formed XML.
template <typename Make>
auto ReadLargePart(const QByteArray &bytes, std::string_view big, std::string_view item, Make make)
    -> std::optional<decltype(make())>
{
    const std::string_view xml(bytes.constData(), std::size_t(bytes.size()));
    {
        auto handler = make();
        if (WalkInPieces(xml, big, item, handler))
            return handler;
    }
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size(), LargePartOptions, pugi::encoding_utf8))
        return std::nullopt;
    auto handler = make();
    Walk(doc, handler);
    return handler;
}

} // namespace quorvil::xml
