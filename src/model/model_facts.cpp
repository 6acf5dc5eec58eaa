#include "model/model_facts.h"

#include <array>

namespace {

bool EqualsIgnoringCase(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QStringView Family(const QString& model)
{
    return QStringView(model).left(4);
}

} // namespace

bool ModelFacts::IsSupportedModel() const
{
    static const std::array<QString, 7> supported = {
        QStringLiteral("K220"), QStringLiteral("K110"),  QStringLiteral("K240"),
        QStringLiteral("K230"), QStringLiteral("K110V"), QStringLiteral("K230V"),
        QStringLiteral("K240V")};
    for (const QString& name : supported) {
        if (EqualsIgnoringCase(modelText, name))
            return true;
    }
    return false;
}

bool ModelFacts::IsK220() const
{
    return EqualsIgnoringCase(modelText, u"K220");
}

int ModelFacts::ModelIndex() const
{
    return IsK220() ? 1 : 2;
}

bool ModelFacts::HasExtendedLayout() const
{
    const QStringView family = Family(modelText);
    return EqualsIgnoringCase(family, u"K110") || EqualsIgnoringCase(family, u"K240") ||
           EqualsIgnoringCase(family, u"K230");
}

bool ModelFacts::HasSpeakerSwitching() const
{
    return !EqualsIgnoringCase(Family(modelText), u"K110");
}

bool ModelFacts::VersionBelow(const QString& version, const QString& reference)
{
    return version.compare(reference, Qt::CaseInsensitive) < 0;
}

bool ModelFacts::VersionBelow(const QString& version) const
{
    return VersionBelow(versionText, version);
}

int ModelFacts::MinusInfinityCode() const
{
    return ModelIndex() == 1 ? 194 : 181;
}

int ModelFacts::BlockSizeAddress() const
{
    return ModelIndex() == 1 ? 768 : 1024;
}

int ModelFacts::ImageOffset(int canonical) const
{
    if (canonical == LastByteOffset)
        return blockSize - 1;
    int offset = canonical;
    if (canonical >= 30 && !HasExtendedLayout())
        offset -= 10;
    if (canonical >= 38 && VersionBelow(QStringLiteral("v2.00")))
        offset -= 2;
    if (canonical >= 36 && VersionBelow(QStringLiteral("v1.23")))
        offset -= 1;
    if (canonical >= 62 && !HasSpeakerSwitching())
        offset -= 1;
    return offset;
}

int ModelFacts::DecodeBlockSize(std::uint8_t raw)
{
    const int size = static_cast<std::int8_t>(raw);
    return size == 0 ? DefaultBlockSize : size;
}
