#include "typingrules.h"
#include "ledger/ledgertable.h"
#include "ledger/textfuncs.h"

namespace kervio {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

using Role = Parameters::RateLinkRole;

} // namespace

bool acceptsCharacter(CharacterRule rule, QChar typed, const Regional &reg)
{
    if (typed.isNull())
        return true;
    if (rule == CharacterRule::NoCharacter)
        return false;
    if (typed == u'\b' || rule == CharacterRule::AnyCharacter)
        return true;
    return isDigit(typed) || (rule == CharacterRule::Amount && typed == reg.decimal);
}

CharacterRule ledgerColumnCharacters(int column)
{
    if (column == ColDebit || column == ColCredit)
        return CharacterRule::Amount;
    if (column >= ColDays && column <= ColCreditAdat)
        return CharacterRule::NoCharacter;
    return CharacterRule::AnyCharacter;
}

const FieldRules &fieldRules(WindowField field)
{
    using C = CharacterRule;
    static const FieldRules company{C::AnyCharacter, true, 0, true, Role::None};
    static const FieldRules calculationDate{C::AnyCharacter, false, 0, false, Role::None};
    static const FieldRules daysInYear{C::Digits, true, 3, true, Role::None};
    static const FieldRules yearlyRate{C::Amount, false, 8, true, Role::Yearly};
    static const FieldRules monthlyRate{C::Amount, false, 8, true, Role::Monthly};
    static const FieldRules graceDays{C::Digits, true, 4, true, Role::None};
    // a result field names the yearly rate as the source, like the yearly field
    static const FieldRules summaryResult{C::AnyCharacter, true, 0, true, Role::Yearly};
    static const FieldRules otherResult{C::AnyCharacter, true, 0, false, Role::None};
    switch (field) {
    case WindowField::CompanyName: return company;
    case WindowField::CalculationDate: return calculationDate;
    case WindowField::DaysInYear: return daysInYear;
    case WindowField::YearlyRate: return yearlyRate;
    case WindowField::MonthlyRate: return monthlyRate;
    case WindowField::DebitGraceDays:
    case WindowField::CreditGraceDays: return graceDays;
    case WindowField::SummaryResult: return summaryResult;
    case WindowField::BalancingRate:
    case WindowField::AverageDueDate: return otherResult;
    }
    return company;
}

KeyVerdict fieldKey(const FieldRules &rules, QChar typed, qsizetype keptLength, const Regional &reg)
{
    if (typed == u'\r')
        return rules.enterMovesOn ? KeyVerdict::MoveFocusOn : KeyVerdict::Pass;
    if (rules.lengthLimit > 0 && typed.isPrint() && keptLength >= rules.lengthLimit)
        return KeyVerdict::Swallow;
    return acceptsCharacter(rules.characters, typed, reg) ? KeyVerdict::Pass : KeyVerdict::Swallow;
}

std::optional<QString> regroupedAmount(const QString &text, const Regional &reg)
{
    if (text.contains(reg.decimal) || text.size() <= 2)
        return std::nullopt;
    return formatWhole(parseAmount(text, reg), reg);
}

QString dateEditMask(QChar dateSeparator, QChar blank)
{
    // a mask letter as separator would be read as a mask character
    const QString sep = QString(u'\\') + dateSeparator;
    return QStringLiteral("99") + sep + QStringLiteral("99") + sep + QStringLiteral("0000;") + blank;
}

} // namespace kervio
