#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reading RSS documents on expat: the facts file and the internet feeds go
// through the same path, so the inspector sees exactly what the show does.
namespace rss
{

// The texts of a document's items, in document order: root "rss", its
// first "channel", that channel's "item" children, each item's first
// "description". A description's text is what comes before its first
// child element, comment, processing instruction or end tag; white space
// outside CDATA is condensed (ends dropped, inner runs one blank), CDATA
// is kept as written; entity references other than the five predefined
// ones and character references stay as written. Texts are Windows-1251
// ("?" for what the code page lacks); empty ones are left out.
// 0 success (perhaps no items); 1 with the reason (not well-formed XML,
// declared entities, an encoding neither expat nor the C library knows,
// no "rss" root, no "channel").
int32_t ReadDescriptions(const char* bytes, size_t size, std::vector<std::string>& descriptions,
                         std::string& reason);

// The markup a description may carry, turned into the message's text:
// "<br>" and (for feeds) "<p>" and "</p>" become line feeds, "&lt;",
// "&gt;" and "&quot;" their characters; everything else is copied.
// breaks counts the line feeds made and copied.
std::string ConvertFactText(std::string_view text);
std::string ConvertFeedText(std::string_view text, uint32_t& breaks);

// Feed items longer than this many characters, or with more line breaks,
// are not shown: the panel holds no more.
constexpr size_t kMaxFeedCharacters = 300;
constexpr uint32_t kMaxFeedBreaks = 7;

// A feed description converted, and whether it is short enough to queue.
bool ConvertFeedItem(std::string_view description, std::string& text);

} // namespace rss
