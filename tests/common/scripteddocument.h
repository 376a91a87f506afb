#pragma once
// The document the spreadsheet commands of these tests work on: the worked
// example's parameters, and its notices shown through scripted dialogs as a
// session shows them in its boxes.
#include "common/ledgerfixture.h"
#include "core/scripteddialogs.h"
#include "ledger/document.h"

namespace kervio::test {

struct ScriptedDocument {
    ScriptedDialogs dialogs;
    Document document{Regional::turkish()};

    explicit ScriptedDocument(const QString &company = QStringLiteral("Örnek Ticaret A.Ş."))
    {
        document.setMessageSink([this](const QString &text) { dialogs.message(text); });
        setWorkedExampleParameters(document.params(), company);
    }
    ScriptedDocument(const ScriptedDocument &) = delete;
    ScriptedDocument &operator=(const ScriptedDocument &) = delete;
};

} // namespace kervio::test
