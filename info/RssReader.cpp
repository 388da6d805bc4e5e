#include "info/RssReader.h"

#include <expat.h>
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/CodePage.h"

namespace
{

// XML white space, which TinyXML-style condensing folds.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Where the path tracker stands; one counter for the depth, so nesting
// costs nothing however deep a document goes.
struct Tracker
{
    XML_Parser parser = nullptr;
    std::vector<std::string>* descriptions = nullptr;
    uint32_t depth = 0;
    bool rootIsRss = false;
    bool channelSeen = false;    // the first channel has begun
    bool inChannel = false;      // inside that first channel
    bool inItem = false;         // inside one of its items
    bool descriptionSeen = false; // the item's first description has begun
    bool collecting = false;     // the description's text is still running
    bool inCdata = false;
    bool pendingBlank = false;   // condensed white space waiting for more text
    bool declaresEntities = false;
    std::string text;            // UTF-8, as expat reports it

    // Text as it comes: outside CDATA white space runs fold to one blank.
    void Add(const char* data, int length, bool raw)
    {
        for (int i = 0; i < length; ++i)
        {
            const char c = data[i];
            if (!raw && IsBlank(c))
            {
                pendingBlank = !text.empty();
                continue;
            }
            if (pendingBlank)
                text += ' ';
            pendingBlank = false;
            text += c;
        }
    }

    // The text ends at the first child node that is not text.
    void Finish()
    {
        if (!collecting)
            return;
        collecting = false;
        pendingBlank = false;
        if (!text.empty())
            descriptions->push_back(platform::Utf8ToCp1251(text));
        text.clear();
    }
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char**)
{
    auto& t = *static_cast<Tracker*>(data);
    t.Finish();
    ++t.depth;
    if (t.depth == 1)
        t.rootIsRss = std::strcmp(name, "rss") == 0;
    else if (t.depth == 2 && t.rootIsRss && !t.channelSeen && std::strcmp(name, "channel") == 0)
        t.channelSeen = t.inChannel = true;
    else if (t.depth == 3 && t.inChannel && std::strcmp(name, "item") == 0)
    {
        t.inItem = true;
        t.descriptionSeen = false;
    }
    else if (t.depth == 4 && t.inItem && !t.descriptionSeen && std::strcmp(name, "description") == 0)
    {
        t.descriptionSeen = true;
        t.collecting = true;
        t.text.clear();
    }
}

void XMLCALL OnEnd(void* data, const XML_Char*)
{
    auto& t = *static_cast<Tracker*>(data);
    t.Finish();
    if (t.depth == 3)
        t.inItem = false;
    else if (t.depth == 2)
        t.inChannel = false;
    --t.depth;
}

void XMLCALL OnText(void* data, const XML_Char* text, int length)
{
    auto& t = *static_cast<Tracker*>(data);
    if (t.collecting)
        t.Add(text, length, t.inCdata);
}

void XMLCALL OnInterruption(void* data, const XML_Char*)
{
    static_cast<Tracker*>(data)->Finish();
}

void XMLCALL OnInstruction(void* data, const XML_Char*, const XML_Char*)
{
    static_cast<Tracker*>(data)->Finish();
}

void XMLCALL OnCdataStart(void* data)
{
    static_cast<Tracker*>(data)->inCdata = true;
}

void XMLCALL OnCdataEnd(void* data)
{
    static_cast<Tracker*>(data)->inCdata = false;
}

// What no other handler takes; inside a description that is an entity
// reference left unexpanded, which stays as written.
void XMLCALL OnDefault(void* data, const XML_Char* text, int length)
{
    auto& t = *static_cast<Tracker*>(data);
    if (t.collecting && length > 0 && text[0] == '&')
        t.Add(text, length, true);
}

// A document that declares entities could expand them in attribute
// values; no feed needs that, so it is refused.
void XMLCALL OnEntityDeclaration(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                 const XML_Char*, const XML_Char*, const XML_Char*)
{
    auto& t = *static_cast<Tracker*>(data);
    t.declaresEntities = true;
    XML_StopParser(t.parser, XML_FALSE);
}

// Single-byte encodings expat lacks (windows-1251, koi8-r...) through the C
// library's converters; anything else, or an unknown name, is refused.
int XMLCALL OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info)
{
    iconv_t converter = iconv_open("UTF-32LE", name);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return XML_STATUS_ERROR;
    bool singleByte = true;
    for (int byte = 0; byte < 256; ++byte)
    {
        char in = static_cast<char>(byte);
        unsigned char out[8] = {};
        char* inAt = &in;
        char* outAt = reinterpret_cast<char*>(out);
        size_t inLeft = 1;
        size_t outLeft = sizeof(out);
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        const size_t done = iconv(converter, &inAt, &inLeft, &outAt, &outLeft);
        if (done == static_cast<size_t>(-1) && errno == EINVAL)
            singleByte = false; // the lead of a longer sequence
        info->map[byte] = done == static_cast<size_t>(-1) || outLeft != 4
                              ? -1
                              : static_cast<int>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
    }
    iconv_close(converter);
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return singleByte ? XML_STATUS_OK : XML_STATUS_ERROR;
}

// The code page's characters for "<br>"-style markup at text[at]; the
// count of bytes consumed, 0 when none starts there.
size_t Markup(std::string_view text, size_t at, bool feed, char& out, bool& isBreak)
{
    const std::string_view rest = text.substr(at);
    const struct
    {
        std::string_view written;
        char becomes;
        bool feedOnly;
    } kMarkup[] = {
        {"<br>", '\n', false}, {"</p>", '\n', true}, {"<p>", '\n', true},
        {"&lt;", '<', false},  {"&gt;", '>', false}, {"&quot;", '"', false},
    };
    for (const auto& m : kMarkup)
    {
        if ((!m.feedOnly || feed) && rest.substr(0, m.written.size()) == m.written)
        {
            out = m.becomes;
            isBreak = m.becomes == '\n';
            return m.written.size();
        }
    }
    return 0;
}

std::string Convert(std::string_view text, bool feed, uint32_t& breaks)
{
    std::string out;
    out.reserve(text.size());
    breaks = 0;
    for (size_t at = 0; at < text.size();)
    {
        char c = text[at];
        bool isBreak = c == '\n';
        const size_t used = Markup(text, at, feed, c, isBreak);
        out += c;
        breaks += isBreak ? 1 : 0;
        at += used ? used : 1;
    }
    return out;
}

} // namespace

namespace rss
{

int32_t ReadDescriptions(const char* bytes, size_t size, std::vector<std::string>& descriptions, std::string& reason)
{
    descriptions.clear();
    if (size > static_cast<size_t>(INT32_MAX))
    {
        reason = "the document is too large";
        return 1;
    }
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser)
    {
        reason = "out of memory";
        return 1;
    }
    Tracker tracker;
    tracker.parser = parser;
    tracker.descriptions = &descriptions;
    XML_SetUserData(parser, &tracker);
    XML_SetElementHandler(parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser, OnText);
    XML_SetCommentHandler(parser, OnInterruption);
    XML_SetProcessingInstructionHandler(parser, OnInstruction);
    XML_SetCdataSectionHandler(parser, OnCdataStart, OnCdataEnd);
    XML_SetDefaultHandler(parser, OnDefault);
    XML_SetEntityDeclHandler(parser, OnEntityDeclaration);
    XML_SetUnknownEncodingHandler(parser, OnUnknownEncoding, nullptr);
    XML_UseForeignDTD(parser, XML_TRUE);
    const XML_Status status = XML_Parse(parser, bytes, static_cast<int>(size), XML_TRUE);
    int32_t result = 0;
    if (status != XML_STATUS_OK)
    {
        reason = tracker.declaresEntities
                     ? std::string("the document declares entities")
                     : "not well-formed XML at line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " +
                           XML_ErrorString(XML_GetErrorCode(parser));
        result = 1;
    }
    else if (!tracker.rootIsRss)
    {
        reason = "not RSS: the root element is not \"rss\"";
        result = 1;
    }
    else if (!tracker.channelSeen)
    {
        reason = "no \"channel\" in \"rss\"";
        result = 1;
    }
    XML_ParserFree(parser);
    if (result != 0)
        descriptions.clear();
    return result;
}

std::string ConvertFactText(std::string_view text)
{
    uint32_t breaks = 0;
    return Convert(text, false, breaks);
}

std::string ConvertFeedText(std::string_view text, uint32_t& breaks)
{
    return Convert(text, true, breaks);
}

bool ConvertFeedItem(std::string_view description, std::string& text)
{
    uint32_t breaks = 0;
    text = ConvertFeedText(description, breaks);
    return text.size() <= kMaxFeedCharacters && breaks <= kMaxFeedBreaks;
}

} // namespace rss
