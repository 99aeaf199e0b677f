#include "central/centralstatus.h"

#include "bilingual.h"

namespace {

constexpr Bilingual kPrefix{u"中心库：", u"central: "};
constexpr Bilingual kUpToDate{u"已是最新", u"up to date"};
constexpr Bilingual kUnreachable{u"无法连接", u"unreachable"};
constexpr Bilingual kSeparator{u"，", u", "};

QString Waiting(int count, int language)
{
    return language == 0 ? QString::number(count) + QStringLiteral(" 条待发送")
                         : QString::number(count) + QStringLiteral(" waiting");
}

} // namespace

QString CentralStatusText(const CentralStatus &status, int language)
{
    QString text = kPrefix.in(language);
    if (status.link == CentralStatus::Link::Unreachable) {
        text += kUnreachable.in(language);
        if (status.waiting > 0)
            text += kSeparator.in(language) + Waiting(status.waiting, language);
    } else if (status.waiting > 0) {
        text += Waiting(status.waiting, language);
    } else {
        text += kUpToDate.in(language);
    }
    return text;
}
