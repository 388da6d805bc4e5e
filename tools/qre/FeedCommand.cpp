#include "tools/qre/FeedCommand.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "info/InternetRssSource.h"
#include "platform/HttpGet.h"
#include "tools/qre/TextConversion.h"

int RunFeedCommand(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: qre feed FILE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in)
    {
        std::fprintf(stderr, "qre: cannot read %s\n", argv[1]);
        return 1;
    }
    // A download stops at the limit; so does this.
    const size_t limit = platform::HttpLimits().maxBody;
    std::string body;
    body.resize(limit + 1);
    in.read(body.data(), static_cast<std::streamsize>(body.size()));
    body.resize(static_cast<size_t>(in.gcount()));
    if (body.size() > limit)
    {
        std::fprintf(stderr, "qre: %s: larger than a feed may be (%zu bytes)\n", argv[1], limit);
        return 1;
    }
    std::vector<std::string> items;
    std::string reason;
    if (InternetRssSource::ParseRssItems(body.data(), body.size(), items, reason) != 0)
    {
        std::fprintf(stderr, "qre: %s: %s\n", argv[1], reason.c_str());
        return 1;
    }
    for (const std::string& item : items)
    {
        std::string line;
        for (char c : item)
            line += c == '\n' ? std::string("\\n") : std::string(1, c);
        std::printf("%s\n", Cp1251ToUtf8(line).c_str());
    }
    std::printf("%zu items\n", items.size());
    if (items.empty())
    {
        std::fprintf(stderr, "qre: %s: no item within the limits\n", argv[1]);
        return 1;
    }
    return 0;
}
