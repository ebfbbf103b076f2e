// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "conversion.h"
#include "db_error.h"
#include "decl_browser.h"
#include "ekb.h"
#include "ekf.h"
#include "err_dsp.h"
#include "error_text.h"
#include "fault_number.h"
#include "platform.h"
#include "prbf.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>

namespace {

const QString kTxt = QStringLiteral("TXT");
const QString kMdb = QStringLiteral("MDB");
constexpr int kOpenFlags = OpenFlag::HideReadOnly | OpenFlag::ExtensionDifferent | OpenFlag::PathMustExist;

class PrbfProgress : public ConvertProgress
{
public:
    PrbfProgress(Prbf& prbf, Platform& platform, QWidget* owner, QString textPath)
        : m_prbf(prbf)
        , m_platform(platform)
        , m_owner(owner)
        , m_textPath(std::move(textPath))
    {
    }
    void started(qint64 total) override
    {
        // The new database stands; from here on the user may cancel.
        m_platform.setMousePointer(Pointer::ArrowHourglass);
        m_prbf.Init(total, QCoreApplication::translate("Ekf", "データベース作成"), m_owner);
        m_prbf.setSource(QFileInfo(m_textPath).fileName());
        m_prbf.setLinesRead(0);
    }
    // Called once per line.
    bool shouldStop(qint64 done) override
    {
        ++m_lines;
        return m_prbf.Cancel(done);
    }
    // A label set at every line would cost more than the line; a few times a second
    // is as fast as anyone reads.
    void processEvents() override
    {
        constexpr qint64 kShownEveryMs = 100;
        if (!m_shownClock.isValid() || m_shownClock.elapsed() >= kShownEveryMs) {
            m_prbf.setLinesRead(m_lines);
            m_shownClock.start();
        }
        m_platform.processEvents();
    }
    void finished() override { m_prbf.Term(); }

private:
    Prbf& m_prbf;
    Platform& m_platform;
    QWidget* m_owner;
    QString m_textPath;
    qint64 m_lines = 0;
    QElapsedTimer m_shownClock;
};

} // namespace

QString Ekf::FileDlg(const QString& sMode)
{
    FileDialogRequest request;
    request.flags = kOpenFlags;
    if (sMode == kTxt) {
        request.defaultExt = QStringLiteral(".txt");
        request.title = tr("テキストファイルのオープン");
        request.filterText = tr("ﾃｷｽﾄﾌｧｲﾙ (*.txt)");
    } else if (sMode == kMdb) {
        request.defaultExt = QStringLiteral(".mdb");
        request.title = tr("データベースファイルのオープン");
        request.filterText = tr("ﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙ (*.mdb)");
    } else {
        request.save = true;
        request.defaultExt = QStringLiteral(".mdb");
        request.title = tr("データベースファイルの保存");
        request.filterText = tr("ﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙ (*.mdb)");
        request.flags |= OpenFlag::OverwritePrompt;
        request.initialName = sMode;
    }
    try {
        return m_platform.fileDialog(this, request);
    } catch (...) {
        return QString();
    }
}

void Ekf::mFile_Click(int Index)
{
    switch (Index) {
    case 0: {
        if (refuseWhileConverting())
            return;
        const QString path = FileDlg(kMdb);
        if (path.isEmpty() || path == m.sDbName)
            return;
        if (!openAndList(path))
            return;
        rememberDatabase();
        break;
    }
    case 1:
        if (refuseWhileConverting())
            return;
        convertCommand();
        break;
    case 3: {
        if (refuseWhileConverting())
            return;
        openAndList(rememberedCaption());
        break;
    }
    case 6:
        close();
        break;
    default:
        break;
    }
}

bool Ekf::refuseWhileConverting()
{
    if (!m_converting)
        return false;
    m_platform.beep();
    return true;
}

// A file that does not open leaves sDbName as it was, so that choosing the same
// path again tries again, and reports false. One that opens but cannot be listed
// is reported by FillList; the database open before stays the one open, and the
// command goes on as after a fill.
bool Ekf::openAndList(const QString& path)
{
    const QString previous = m.sDbName;
    m.sDbName = path;
    m_platform.setMousePointer(Pointer::Hourglass);
    std::unique_ptr<DeclBrowser> opened;
    try {
        opened = DeclBrowser::open(path);
    } catch (const DbError& e) {
        m.sDbName = previous;
        reportFailure(e);
        return false;
    }
    std::unique_ptr<DeclBrowser> before = std::exchange(m.dbDecl, std::move(opened));
    const bool listedBefore = m_listed;
    if (!FillList()) {
        m.dbDecl = std::move(before);
        m_listed = listedBefore;
    }
    return true;
}

// The error box sets the arrow; the failed command is over, so the normal pointer.
void Ekf::reportFailure(const DbError& error)
{
    reportDbError(m_platform, error);
    m_platform.setMousePointer(Pointer::Default);
}

void Ekf::showRemembered(const QString& path)
{
    mFile[2]->setVisible(true);
    mFile[3]->setText(kRememberedKey + QString(path).replace(u'&', QStringLiteral("&&")));
    mFile[3]->setEnabled(true);
    mFile[3]->setVisible(true);
}

void Ekf::rememberDatabase()
{
    saveSetting(kRememberedDatabase, m.sDbName);
    showRemembered(m.sDbName);
}

void Ekf::convertCommand()
{
    const QString text = FileDlg(kTxt);
    if (text.isEmpty())
        return;
    const QString initial = GetPath(text) + QStringLiteral("Ek") + QStringLiteral(".MDB");
    const QString target = FileDlg(initial);
    if (target.isEmpty())
        return;
    // A text file the conversion would refuse by its name alone is refused before
    // the user confirms.
    try {
        Conversion::checkPaths(text, target);
    } catch (const DbError& e) {
        ErrDsp(m_platform, faultNumber(e.fault()), describeConversionFailure(e, m.sCrLf));
        m_platform.setMousePointer(Pointer::Default);
        return;
    }
    const QString previous = m.sDbName;
    m.sDbName = target;
    const QString prompt = text + tr(" から") + m.sCrLf + m.sCrLf + m.sDbName + tr(" を作成します");
    if (m_platform.msgBox(prompt, MsgBox::OkCancel | MsgBox::Exclamation,
                          tr("データベースファイルへの置換")) == MsgBox::AnswerCancel)
        return;
    repaint();
    m_platform.setMousePointer(Pointer::Hourglass);
    try {
        ConvertText(text, m.sDbName, this);
    } catch (const DbError& e) {
        m.sDbName = previous;
        ErrDsp(m_platform, faultNumber(e.fault()), describeConversionFailure(e, m.sCrLf));
        m_platform.setMousePointer(Pointer::Default);
        if (m_closeAfterConversion)
            close();
        return;
    }
    m_platform.setMousePointer(Pointer::Default);
    rememberDatabase();
    if (m_closeAfterConversion)
        close();
}

void Ekf::ConvertText(const QString& sTxtFile, const QString& sDbFile, QWidget* frmOwner)
{
    Conversion conversion(sTxtFile, sDbFile);
    PrbfProgress progress(progressWindow(), m_platform, frmOwner, sTxtFile);
    ConvertResult result;
    {
        const QScopedValueRollback<bool> converting(m_converting, true);
        result = conversion.run(progress);
    }
    reportConversion(result, sTxtFile, sDbFile);
}

void Ekf::reportConversion(const ConvertResult& result, const QString& sTxtFile, const QString& sDbFile)
{
    QStringList paragraphs;
    paragraphs << (result.cancelled ? cancelledText(result, sTxtFile, sDbFile)
                                    : storedText(result, sTxtFile, sDbFile));
    if (result.textChanged)
        paragraphs << textChangedText(sTxtFile);
    ListReport report;
    if (result.skippedCount > 0) {
        paragraphs << notStoredText(result.skippedCount);
        report.lines.reserve(result.skipped.size() + 1);
        for (const SkippedLine& line : result.skipped)
            report.lines << listedLineText(line);
        const QString more = moreSkippedText(result);
        if (!more.isEmpty())
            report.lines << more;
    }
    report.title = tr("データベース作成");
    report.summary = paragraphs.join(m.sCrLf + m.sCrLf);
    // Lines outside any type are the prose and helper code a declaration file may
    // hold; an entry that was refused, or a text that changed, is worth a warning.
    const bool warn = result.refusedCount > 0 || result.textChanged;
    report.icon = warn ? MsgBox::Exclamation : MsgBox::Information;
    const QFileInfo db(sDbFile);
    report.saveName = db.dir().filePath(db.completeBaseName() + tr("_変換結果.txt"));
    m_platform.setMousePointer(Pointer::Arrow);
    if (warn)
        m_platform.beep();
    m_platform.listReport(report);
}
