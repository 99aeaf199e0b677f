#include "thermometermodel.h"

namespace {

// Each row stands at the index of its MachineType, so that ModelOf is a plain look-up.
constexpr bool RowsInOrder()
{
    for (size_t i = 0; i < kThermometerModels.size(); ++i) {
        if (size_t(kThermometerModels[i].type) != i)
            return false;
    }
    return true;
}
static_assert(RowsInOrder(), "kThermometerModels must list the models in MachineType's order");
static_assert(kThermometerModels.back().frameLength <= kCommandBufferLength);

} // namespace

const ThermometerModel &ModelOf(MachineType type)
{
    const auto index = size_t(type);
    return index < kThermometerModels.size() ? kThermometerModels[index]
                                             : kThermometerModels.back();
}

std::optional<MachineType> ModelOfReportPayload(qsizetype payloadSize)
{
    std::optional<MachineType> found;
    qsizetype longest = 0;
    for (const ThermometerModel &model : kThermometerModels) {
        if (model.reportPayload <= payloadSize && model.reportPayload > longest) {
            longest = model.reportPayload;
            found = model.type;
        }
    }
    return found;
}
