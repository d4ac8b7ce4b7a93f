#include "installer/InstallScript.h"

#include "installer/frmInstall.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

#include <cstdio>

namespace {
constexpr int kStoppedExitCode = 3;
}

void WriteTranscriptLine(const QStringList& fields) {
    QString line = fields.join(u'\t');
    line.replace(u'\n', QLatin1String("\\n"));
    line += u'\n';
    std::fputs(line.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

ScriptedInstallDialogs::ScriptedInstallDialogs(const QString& script)
    : lines(script.split(u'\n', Qt::SkipEmptyParts)) {
    for (const QString& line : std::as_const(lines))
        if (line.startsWith(QLatin1String("answer ")))
            answers.push_back(line.mid(7).trimmed() == QLatin1String("Yes") ? BoxAnswer::Yes
                                                                            : BoxAnswer::No);
}

BoxAnswer ScriptedInstallDialogs::MsgBox(const QString& prompt, BoxButtons buttons,
                                         const QString& title, BoxIcon icon) {
    const bool yesNo = buttons == BoxButtons::YesNo;
    WriteTranscriptLine(
        {QStringLiteral("box"), title,
         icon == BoxIcon::Critical ? QStringLiteral("critical") : QStringLiteral("none"),
         yesNo ? QStringLiteral("yesno") : QStringLiteral("ok"), prompt});
    if (!yesNo)
        return BoxAnswer::Ok;
    if (answers.empty()) {
        WriteTranscriptLine({QStringLiteral("unanswered")});
        return BoxAnswer::No;
    }
    const BoxAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedInstallDialogs::Attach(frmInstall& form) {
    QObject::connect(&form, &frmInstall::statusShown, [](int width, const QString& text) {
        WriteTranscriptLine({QStringLiteral("status"), QString::number(width), text});
    });
    QObject::connect(&form, &frmInstall::folderMade, [](const QString& path) {
        WriteTranscriptLine({QStringLiteral("made"), path});
    });
    QObject::connect(&form, &frmInstall::playerStarted, [](const QString& program, bool started) {
        WriteTranscriptLine({QStringLiteral("started"), program,
                             started ? QStringLiteral("1") : QStringLiteral("0")});
    });
}

void ScriptedInstallDialogs::Run(frmInstall& form) {
    WriteTranscriptLine({QStringLiteral("field"), QStringLiteral("txtPath"), form.txtPath->text()});
    WriteTranscriptLine(
        {QStringLiteral("field"), QStringLiteral("lblSYSPath"), form.lblSYSPath->text()});
    WriteTranscriptLine(
        {QStringLiteral("field"), QStringLiteral("lblStatus"), form.lblStatus->text()});
    for (const QString& line : std::as_const(lines)) {
        if (line.startsWith(QLatin1String("path ")))
            form.txtPath->setText(line.mid(5));
        else if (line.startsWith(QLatin1String("desktop ")))
            form.chkDesktop->setChecked(line.mid(8).trimmed() == QLatin1String("1"));
        else if (line.trimmed() == QLatin1String("install"))
            form.cmdInstall_Click();
    }
    if (!form.ProgressRunning()) {
        WriteTranscriptLine({QStringLiteral("stopped")});
        QCoreApplication::exit(kStoppedExitCode);
    }
}
