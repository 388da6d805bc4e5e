#include "tools/qre/SceneDump.h"

#include "engine/core/Log.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "tools/qre/ReasonCollector.h"

namespace
{

// Records the links in reading order; names are filled in after the load,
// when every record is complete.
class GraphRecorder : public StreamLinkListener
{
public:
    struct Entry
    {
        uint32_t depth;
        int32_t fileId;
        std::string typeName; // empty for a later reference
        Object* object;       // alive while the root is held
    };

    void OnLinkRead(uint32_t depth, int32_t fileId, const String& typeName, Object* object) override
    {
        if (fileId == -1)
            return;
        entries.push_back({depth, fileId, std::string(typeName.CStr(), typeName.Length()), object});
    }

    std::vector<Entry> entries;
};

} // namespace

int DumpScene(const std::string& path, std::string& out, std::vector<std::string>& reasons)
{
    Ptr<ReasonCollector> collector = new ReasonCollector(reasons);
    RegisterMessageOutput(collector.Get());

    int result = 1;
    Codec* codec = nullptr;
    if (CodecManager::GetCodec(String("STRSceneCodec"), &codec) == 0 && codec)
    {
        File file(String(path.c_str()));
        GraphRecorder recorder;
        file.SetLinkListener(&recorder);
        Object* root = nullptr;
        if (codec->LoadScene(&file, &root) == 0 && root)
        {
            Ptr<Object> hold = root;
            for (const GraphRecorder::Entry& entry : recorder.entries)
            {
                out.append(entry.depth * 2, ' ');
                if (entry.typeName.empty())
                {
                    out += "-> " + std::to_string(entry.fileId) + "\n";
                    continue;
                }
                const String& name = entry.object->GetName();
                out += std::to_string(entry.fileId) + " " + entry.typeName + " \"" +
                       std::string(name.CStr(), name.Length()) + "\"\n";
            }
            result = 0;
        }
        file.SetLinkListener(nullptr);
    }
    else
        reasons.emplace_back("no scene codec");

    UnregisterMessageOutput(collector.Get());
    return result;
}
