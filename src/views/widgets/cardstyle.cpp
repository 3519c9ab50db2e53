#include "cardstyle.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>

using namespace Qt::StringLiterals;

namespace {

// Named colours of the desktop palette, chosen to read on light and dark.
const QColor platformOrange(255, 149, 0);
const QColor platformCyan(50, 173, 230);

enum class ArtifactKind { CompiledCode, ScriptCode, Shell, Markdown, Config, Other };

ArtifactKind artifactKind(const QString &extension)
{
    static const QStringList compiled = { u"py"_s, u"swift"_s, u"go"_s, u"rs"_s, u"rb"_s };
    static const QStringList script = { u"js"_s, u"cjs"_s, u"mjs"_s, u"ts"_s };
    static const QStringList shell = { u"sh"_s, u"bash"_s, u"zsh"_s };
    static const QStringList config = { u"json"_s, u"yaml"_s, u"yml"_s, u"toml"_s };
    if (compiled.contains(extension))
        return ArtifactKind::CompiledCode;
    if (script.contains(extension))
        return ArtifactKind::ScriptCode;
    if (shell.contains(extension))
        return ArtifactKind::Shell;
    if (extension == u"md"_s)
        return ArtifactKind::Markdown;
    if (config.contains(extension))
        return ArtifactKind::Config;
    return ArtifactKind::Other;
}

} // namespace

QColor CardStyle::limeAccent()
{
    return QColor::fromRgbF(0.757F, 0.847F, 0.267F);
}

QColor CardStyle::orangeAccent()
{
    return QColor::fromRgbF(1.0F, 0.4F, 0.008F);
}

QColor CardStyle::violetAccent()
{
    return QColor::fromRgbF(0.659F, 0.235F, 0.965F);
}

QColor CardStyle::toolColor(ToolSource tool)
{
    switch (tool) {
    case ToolSource::Claude:
        return platformOrange;
    case ToolSource::Cursor:
        return QColor(0, 122, 255);
    case ToolSource::Windsurf:
        return QColor(48, 176, 199);
    case ToolSource::Codex:
        return QColor(52, 199, 89);
    case ToolSource::Copilot:
        return QColor(175, 82, 222);
    case ToolSource::Aider:
        return QColor(214, 170, 0);
    case ToolSource::Amp:
        return QColor(255, 45, 85);
    case ToolSource::Gemini:
        return QColor(74, 103, 214);
    case ToolSource::OpenCode:
        return QColor(99, 104, 112);
    case ToolSource::Kiro:
        return QColor(122, 79, 208);
    case ToolSource::Cline:
        return QColor(47, 109, 178);
    case ToolSource::Continue:
        return QColor(192, 102, 29);
    case ToolSource::Zed:
        return QColor(18, 123, 118);
    case ToolSource::Junie:
        return QColor(43, 156, 111);
    case ToolSource::Custom:
        break;
    }
    return QColor(142, 142, 147);
}

CardStyle::Look CardStyle::artifactLook(const QString &fileExtension)
{
    switch (artifactKind(fileExtension)) {
    case ArtifactKind::CompiledCode:
        return { {}, u"chevron.left.forwardslash.chevron.right"_s, orangeAccent() };
    case ArtifactKind::ScriptCode:
        return { {}, u"chevron.left.forwardslash.chevron.right"_s, platformOrange };
    case ArtifactKind::Shell:
        return { {}, u"terminal.fill"_s, limeAccent() };
    case ArtifactKind::Markdown:
        return { {}, u"doc.text.fill"_s, violetAccent() };
    case ArtifactKind::Config:
        return { {}, u"gearshape.fill"_s, platformCyan };
    case ArtifactKind::Other:
        break;
    }
    return { {}, u"doc.fill"_s, secondaryText() };
}

CardStyle::Look CardStyle::categoryLook(SkillArtifact::Category category)
{
    switch (category) {
    case SkillArtifact::Category::Script:
        return { u"Scripts"_s, u"terminal"_s, withAlpha(orangeAccent(), 0.7) };
    case SkillArtifact::Category::Reference:
        return { u"References"_s, u"doc.text.fill"_s, withAlpha(violetAccent(), 0.7) };
    case SkillArtifact::Category::Rule:
        return { u"Rules"_s, u"checklist"_s, withAlpha(limeAccent(), 0.7) };
    case SkillArtifact::Category::Config:
        return { u"Config"_s, u"gearshape.fill"_s, withAlpha(platformOrange, 0.7) };
    case SkillArtifact::Category::Other:
        break;
    }
    return { u"Files"_s, u"doc.fill"_s, secondaryText() };
}

QColor CardStyle::secondaryText()
{
    return QGuiApplication::palette().color(QPalette::PlaceholderText);
}

QColor CardStyle::tertiaryText()
{
    return withAlpha(QGuiApplication::palette().color(QPalette::Text), 0.45);
}

QColor CardStyle::withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(color.alphaF() * alpha));
    return color;
}

QFont CardStyle::font(qreal size, QFont::Weight weight)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(qRound(size));
    font.setWeight(weight);
    return font;
}

QFont CardStyle::monoFont(qreal size, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(qRound(size));
    font.setWeight(weight);
    return font;
}
