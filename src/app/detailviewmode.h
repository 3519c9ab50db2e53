#pragma once

#include <QString>

#include <array>
#include <optional>

// How the detail column presents the selected skill.
enum class DetailViewMode { Editor, Card };

namespace DetailViewModes {

inline constexpr std::array<DetailViewMode, 2> all
    = { DetailViewMode::Editor, DetailViewMode::Card };

inline QString rawValue(DetailViewMode mode)
{
    return mode == DetailViewMode::Editor ? QStringLiteral("editor") : QStringLiteral("card");
}

inline std::optional<DetailViewMode> fromRaw(const QString &raw)
{
    for (DetailViewMode mode : all) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}

} // namespace DetailViewModes
