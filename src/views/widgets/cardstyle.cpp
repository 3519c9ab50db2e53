#include "cardstyle.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Named colours of the desktop palette, chosen to read on light and dark.
const QColor platformOrange(255, 149, 0);
const QColor platformCyan(50, 173, 230);

// Error red as the desktop draws it on a light page; readable() lifts it on dark.
const QColor errorRed(0xd7, 0x30, 0x2a);

double channel(float value)
{
    return value <= 0.04045F ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF())
        + 0.0722 * channel(rgb.blueF());
}

double ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

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
    // The headings are small text: each colour is made to read on the page.
    const QPalette palette = QGuiApplication::palette();
    const auto text = [&palette](const QColor &color) {
        return readable(color, pageBackground(palette), textContrast);
    };
    switch (category) {
    case SkillArtifact::Category::Script:
        return { u"Scripts"_s, u"terminal"_s, text(withAlpha(orangeAccent(), 0.7)) };
    case SkillArtifact::Category::Reference:
        return { u"References"_s, u"doc.text.fill"_s, text(withAlpha(violetAccent(), 0.7)) };
    case SkillArtifact::Category::Rule:
        return { u"Rules"_s, u"checklist"_s, text(withAlpha(limeAccent(), 0.7)) };
    case SkillArtifact::Category::Config:
        return { u"Config"_s, u"gearshape.fill"_s, text(withAlpha(platformOrange, 0.7)) };
    case SkillArtifact::Category::Other:
        break;
    }
    return { u"Files"_s, u"doc.fill"_s, secondaryText(palette) };
}

QColor CardStyle::secondaryText()
{
    return secondaryText(QGuiApplication::palette());
}

QColor CardStyle::tertiaryText()
{
    return tertiaryText(QGuiApplication::palette());
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

QColor CardStyle::blended(const QColor &foreground, const QColor &background)
{
    const QColor over = foreground.toRgb();
    const QColor under = background.toRgb();
    const float share = over.alphaF();
    return QColor::fromRgbF(over.redF() * share + under.redF() * (1 - share),
        over.greenF() * share + under.greenF() * (1 - share),
        over.blueF() * share + under.blueF() * (1 - share));
}

double CardStyle::contrast(const QColor &foreground, const QColor &background)
{
    return ratio(blended(foreground, background), background);
}

QColor CardStyle::readable(const QColor &color, const QColor &background, double minimum)
{
    const QColor drawn = blended(color, background);
    if (ratio(drawn, background) >= minimum)
        return drawn;
    // Light backgrounds take darker text, dark ones lighter: whichever end
    // has more room. The hue and saturation stay, only the lightness moves.
    const bool darken = ratio(Qt::black, background) >= ratio(Qt::white, background);
    const QColor hsl = drawn.toHsl();
    float near = hsl.lightnessF();
    float far = darken ? 0.0F : 1.0F;
    const auto at = [&hsl](float lightness) {
        return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness).toRgb();
    };
    if (ratio(at(far), background) < minimum)
        return at(far); // nothing in this hue reads; the most that can be had
    // The lightness nearest the original that still reads.
    for (int step = 0; step < 24; ++step) {
        const float middle = (near + far) / 2;
        if (ratio(at(middle), background) >= minimum)
            far = middle;
        else
            near = middle;
    }
    return at(far);
}

QColor CardStyle::pageBackground(const QPalette &palette)
{
    return palette.color(QPalette::Window);
}

QColor CardStyle::tinted(const QPalette &palette, qreal alpha)
{
    return blended(withAlpha(palette.color(QPalette::Text), alpha), pageBackground(palette));
}

QColor CardStyle::divider(const QPalette &palette)
{
    return tinted(palette, 0.14);
}

QColor CardStyle::accentText(const QPalette &palette)
{
    // Metadata keys sit on the table's tint: the darkest ground the accent meets.
    return readable(limeAccent(), tinted(palette, 0.06), textContrast);
}

QColor CardStyle::accentHeading(const QPalette &palette)
{
    return readable(withAlpha(limeAccent(), 0.6), pageBackground(palette), headingContrast);
}

QColor CardStyle::secondaryText(const QPalette &palette)
{
    return readable(
        palette.color(QPalette::PlaceholderText), pageBackground(palette), textContrast);
}

QColor CardStyle::tertiaryText(const QPalette &palette)
{
    return readable(
        withAlpha(palette.color(QPalette::Text), 0.45), pageBackground(palette), textContrast);
}

QColor CardStyle::errorText(const QPalette &palette)
{
    return readable(errorRed, pageBackground(palette), textContrast);
}

QColor CardStyle::badgeText(const QColor &hue, qreal fillAlpha, const QPalette &palette)
{
    const QColor fill = blended(withAlpha(hue, fillAlpha), pageBackground(palette));
    return readable(hue, fill, textContrast);
}
