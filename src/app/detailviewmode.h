#pragma once

#include <QString>

#include <array>
#include <optional>

// How the detail column presents the selected skill.
enum class DetailViewMode { Editor, Card, History };

namespace DetailViewModes {

inline constexpr std::array<DetailViewMode, 3> all
    = { DetailViewMode::Editor, DetailViewMode::Card, DetailViewMode::History };

inline QString rawValue(DetailViewMode mode)
{
    switch (mode) {
    case DetailViewMode::Editor:
        return QStringLiteral("editor");
    case DetailViewMode::History:
        return QStringLiteral("history");
    case DetailViewMode::Card:
        break;
    }
    return QStringLiteral("card");
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
