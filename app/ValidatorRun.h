#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class OutputPanel;
class QProgressDialog;
class QWidget;

// What differs between the vertex and the fragment run. Names are relative to the
// validator directory, which is also the validator's working directory.
struct ValidatorPage {
    QString tempFile;      // "tmp.vs": the page's text while the validator runs
    QStringList arguments; // {"/v", "tmp.vs"}
    QString logFile;       // "vertex.log": read once the validator has ended
};

const ValidatorPage& VertexValidatorPage();
const ValidatorPage& FragmentValidatorPage();

struct ValidatorRunOptions {
    // How long the validator may run before it is stopped.
    int timeoutMs = 60000;
    // Called once the wait dialog is shown (only when the validator outlasts a short quiet
    // wait); lets tests press its Cancel button.
    std::function<void(QProgressDialog&)> onWaitShown;
};

// Checks one page's text with glslvalidate in validatorDir and shows its log in the panel
// under the heading "glslValidate output :".
//
// The text is written to validatorDir/tempFile (atomically; a failure throws the
// cannot-create message and starts nothing). The validator is started there without a
// shell; a failed start is not reported by itself. While it runs, the window is blocked by a
// window-modal wait dialog but keeps painting; Cancel or the time limit stops the validator
// (its whole process group) and the panel then holds one line saying so, without reading
// any log. The temporary file is always deleted. A log that cannot be read throws the
// cannot-open message and leaves the panel as it was.
void RunValidator(QWidget* window, const QString& validatorDir, const ValidatorPage& page,
                  const QByteArray& pageText, OutputPanel& panel, const ValidatorRunOptions& options = {});

// The log's text: UTF-8 when the bytes are valid UTF-8, otherwise Latin-1.
QString DecodeLogText(const QByteArray& bytes);

// Splits at CR LF, LF or CR; a line break after the last line adds no empty line.
QStringList SplitLogLines(const QString& text);
