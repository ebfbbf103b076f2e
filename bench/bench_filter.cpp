// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "decl_browser.h"
#include "ekb.h"
#include "ekf.h"
#include "fake_platform.h"
#include "fonts.h"
#include "name_filter.h"
#include "name_fold.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

// A key typed into the filter box against a key typed into the input box, in the real main
// window, offscreen, with the same database listed.
//
//   ek-bench-filter DBFILE PREFIX     key=value pairs on stdout, each key under PREFIX_
//
// The database holds functions only (ek-bench-gen names). Each figure is a whole key as the
// user types it: press and release, the list narrowed or searched, and the repaint.
namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Times
{
    std::vector<double> ms;
    double mean() const
    {
        double sum = 0;
        for (double t : ms)
            sum += t;
        return ms.empty() ? 0 : sum / double(ms.size());
    }
    double worst() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

double typeKey(QWidget* box, QChar c)
{
    const Clock::time_point t = Clock::now();
    const auto key = Qt::Key(c.toUpper().unicode());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(box, &release);
    QCoreApplication::processEvents();
    return msSince(t);
}

void put(const QString& prefix, const char* key, double value)
{
    std::printf("%s_%s=%.4f\n", qPrintable(prefix), key, value);
}

class Rng
{
public:
    size_t below(size_t n)
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return size_t(m_state % n);
    }

private:
    quint64 m_state = 0x2545F4914F6CDD1Dull;
};

// Parts of listed names as a user would type them to find one: six letters from its middle.
QStringList parts(const QStringList& names, int count)
{
    Rng rng;
    QStringList typed;
    while (typed.size() < count) {
        const QString& name = names.at(qsizetype(rng.below(size_t(names.size()))));
        if (name.size() < 10)
            continue;
        typed << name.mid(3, 6).toLower();
    }
    return typed;
}

qint64 containing(const QStringList& names, const QString& part)
{
    const QString key = foldName(part);
    return std::count_if(names.begin(), names.end(),
                         [&key](const QString& n) { return foldName(n).contains(key); });
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProgramName);
    registerFontSubstitutes();
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fputs("usage: ek-bench-filter DBFILE PREFIX\n", stderr);
        return 2;
    }
    FakePlatform platform;
    platform.realEvents = true;
    Ekb module;
    std::unique_ptr<Ekf> w = Main(platform, module, QCoreApplication::applicationDirPath());
    if (!QTest::qWaitForWindowExposed(w.get()))
        return 3;
    platform.fileNames << args[1];
    w->mFile_Click(0);
    if (!platform.messages().isEmpty() || w->lstEk->ListCount() == 0) {
        std::fputs("ek-bench-filter: the database did not list\n", stderr);
        return 3;
    }
    const QString prefix = args[2];
    QStringList names;
    for (qint64 i = 0; i < w->lstEk->ListCount(); ++i)
        names << w->lstEk->List(i);
    constexpr int kWords = 20;
    int failures = 0;

    // The baseline: the starts of names typed into the input box, letter by letter.
    Times search;
    Rng rng;
    for (int i = 0; i < kWords; ++i) {
        w->txtInp->clear();
        const QString& word = names.at(qsizetype(rng.below(size_t(names.size()))));
        for (const QChar c : word.left(8))
            search.ms.push_back(typeKey(w->txtInp, c));
    }
    w->txtInp->clear();

    // Parts of names typed into the filter box: every key narrows the whole kind again.
    Times filter;
    for (const QString& part : parts(names, kWords)) {
        w->txtFlt->clear();
        for (const QChar c : part)
            filter.ms.push_back(typeKey(w->txtFlt, c));
        if (w->lstEk->ListCount() != containing(names, part)) {
            std::fprintf(stderr, "ek-bench-filter: %s did not narrow the list to the names holding it\n",
                         qPrintable(part));
            ++failures;
        }
    }
    w->txtFlt->clear();

    // The same parts through the filter alone, without the window: what narrowing itself costs.
    Times alone;
    {
        KindFilter kindFilter;
        kindFilter.setNames(DeclKind::Procedure, names);
        for (const QString& part : parts(names, kWords)) {
            for (qsizetype n = 1; n <= part.size(); ++n) {
                const Clock::time_point t = Clock::now();
                const std::vector<int> rows =
                    module.dbDecl->filterRows(kindFilter, parseFilter(part.left(n)));
                alone.ms.push_back(msSince(t));
            }
        }
    }

    // lib: the first key after "lib:" reads every function's DLL once; the others do not.
    Times lib;
    double libFirst = 0;
    for (int round = 0; round < 3; ++round) {
        w->txtFlt->clear();
        for (const QChar c : QStringLiteral("lib:user32")) {
            const double t = typeKey(w->txtFlt, c);
            if (round == 0 && c == u'u')
                libFirst = t;
            else
                lib.ms.push_back(t);
        }
    }
    if (w->lstEk->ListCount() != names.size()) {
        std::fputs("ek-bench-filter: lib:user32 did not keep every function\n", stderr);
        ++failures;
    }
    const Clock::time_point t = Clock::now();
    w->fillPreview();
    const double preview = msSince(t);

    std::printf("%s_names=%lld\n", qPrintable(prefix), (long long)names.size());
    put(prefix, "search_key_ms", search.mean());
    put(prefix, "search_worst_ms", search.worst());
    put(prefix, "filter_key_ms", filter.mean());
    put(prefix, "filter_worst_ms", filter.worst());
    put(prefix, "filter_ratio", filter.mean() / std::max(search.mean(), 1e-6));
    put(prefix, "filter_alone_ms", alone.mean());
    put(prefix, "filter_alone_worst_ms", alone.worst());
    put(prefix, "lib_key_ms", lib.mean());
    put(prefix, "lib_worst_ms", lib.worst());
    put(prefix, "lib_first_ms", libFirst);
    put(prefix, "preview_ms", preview);
    w->close();
    return failures == 0 ? 0 : 1;
}
