#pragma once
#include "ledger/parameters.h"
#include "ledger/regional.h"

#include <QChar>
#include <QString>
#include <optional>

// What a key typed into the main window does, without widgets: which
// characters a field or a ledger column takes, where Enter goes, how a
// field shows the focus and what it does to the rate link, and the live
// grouping of an amount being typed.
namespace kervio {

// The typed characters a field or a ledger column takes. Keys that type
// nothing (arrows, Tab) always pass, and so does Backspace where anything
// may be typed at all.
enum class CharacterRule {
    AnyCharacter,
    Digits,      // "0" to "9"
    Amount,      // "0" to "9" and the decimal separator
    NoCharacter, // the computed ledger columns: nothing, not even Backspace
};

// Enter is u'\r' and Backspace u'\b'; a null character types nothing.
bool acceptsCharacter(CharacterRule rule, QChar typed, const Regional &reg);
CharacterRule ledgerColumnCharacters(int column);

// The single-line fields and date fields of the main window's panels.
enum class WindowField {
    CompanyName,
    CalculationDate,
    DaysInYear,
    YearlyRate,
    MonthlyRate,
    DebitGraceDays,
    CreditGraceDays,
    SummaryResult,   // the totals, term differences and average days
    BalancingRate,   // the two results of "FAİZ BUL"
    AverageDueDate,  // the three average due dates
};

struct FieldRules {
    CharacterRule characters = CharacterRule::AnyCharacter;
    bool enterMovesOn = true;  // Enter moves the focus on; else it does nothing
    int lengthLimit = 0;       // the characters the user may type; 0: no limit
    bool highlighted = false;  // yellow while it has the focus
    Parameters::RateLinkRole rateLink = Parameters::RateLinkRole::None;
};
const FieldRules &fieldRules(WindowField field);

enum class KeyVerdict { Pass, Swallow, MoveFocusOn };
// A key typed into a field. `keptLength`: the length of the field's text
// less what the typed character would replace (its selection).
KeyVerdict fieldKey(const FieldRules &rules, QChar typed, qsizetype keptLength, const Regional &reg);

// An amount being typed, grouped in thousands ("12345" -> "12.345"), or
// nothing when it is left as it is: once it holds a decimal separator, and
// while it has at most two characters.
std::optional<QString> regroupedAmount(const QString &text, const Regional &reg);

// The template of a date cell's editor: two optional digits each for day
// and month and four digits for the year, the separators in place; `blank`
// stands for a position not yet typed.
QString dateEditMask(QChar dateSeparator, QChar blank);

} // namespace kervio
