#include "ErrorReporting.h"
#include "LumenpadError.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

struct BoxTextCase {
    const char* message;
    const char* shown;
};

class ErrorBoxTextTest : public ::testing::TestWithParam<BoxTextCase> {};

TEST_P(ErrorBoxTextTest, AppendsAFullStopAfterCharactersSortingAfterIt)
{
    EXPECT_EQ(ErrorBoxText(QString::fromUtf8(GetParam().message)), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Messages, ErrorBoxTextTest,
                         ::testing::Values(BoxTextCase{"Datei nicht gefunden", "Datei nicht gefunden."},
                                           BoxTextCase{"ends with a stop.", "ends with a stop."},
                                           BoxTextCase{"what?", "what?."},       // "?" sorts after "."
                                           BoxTextCase{"ok!", "ok!"},
                                           BoxTextCase{"Zeile 12)", "Zeile 12)"}, // ')' sorts before '.'
                                           BoxTextCase{"code 7", "code 7."},
                                           BoxTextCase{"dash -", "dash -"},
                                           BoxTextCase{"", ""}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(RunHandler, ShowsTheFailureAndStopsTheHandler)
{
    ScriptedDialogs dialogs;
    bool reachedEnd = false;
    RunHandler(dialogs, [&] {
        throw LumenpadError(QStringLiteral("Datei x kann nicht geöffnet werden. No such file or directory"));
        reachedEnd = true;
    });
    EXPECT_FALSE(reachedEnd);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], QStringLiteral("Datei x kann nicht geöffnet werden. No such file or directory."));

    RunHandler(dialogs, [] { throw std::runtime_error("plain failure"); });
    EXPECT_EQ(dialogs.errors.back(), QStringLiteral("plain failure."));

    RunHandler(dialogs, [] {});
    EXPECT_EQ(dialogs.errors.size(), 2);
}

} // namespace
