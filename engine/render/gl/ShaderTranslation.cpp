#include "engine/render/gl/ShaderTranslation.h"

int32_t ShaderTranslation::AttributeLocation(ShaderProgram::Usage usage, uint32_t usageIndex)
{
    switch (usage)
    {
    case ShaderProgram::kUsagePosition: return usageIndex == 0 ? 0 : -1;
    case ShaderProgram::kUsageBlendWeight: return usageIndex == 0 ? 1 : -1;
    case ShaderProgram::kUsageNormal: return usageIndex == 0 ? 2 : -1;
    case ShaderProgram::kUsageColor: return usageIndex < 2 ? 3 + static_cast<int32_t>(usageIndex) : -1;
    case ShaderProgram::kUsageFog: return usageIndex == 0 ? 5 : -1;
    case ShaderProgram::kUsagePointSize: return usageIndex == 0 ? 6 : -1;
    case ShaderProgram::kUsageBlendIndices: return usageIndex == 0 ? 7 : -1;
    case ShaderProgram::kUsageTexCoord: return usageIndex < 8 ? 8 + static_cast<int32_t>(usageIndex) : -1;
    case ShaderProgram::kUsageTangent: return usageIndex == 0 ? 5 : -1;
    case ShaderProgram::kUsageBinormal: return usageIndex == 0 ? 6 : -1;
    default: return -1;
    }
}
