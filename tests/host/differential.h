#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// The differential harness: scripts of host/scripts/ played by the real vendacons-host, each on
// a fresh site and right after other scripts in one host run, and what each one left compared.
//
// Between two scripts the run stands still on a `sync` step while the harness reads the site,
// puts every file and the base back as they were when the screen came up, and writes the next
// script's fault answers. What the next script meets on disk is then a fresh site; whatever
// differs from its fresh run came through the running till (or the host's own devices).
namespace Differential {

enum class Desk { Ecf, Nfce, Sat, Nf };

QString tillName(Desk desk); // the --till of --init-site

// What every site of the harness gets after --init-site, named for the kept captures.
struct SiteSetup
{
    QString name;
    std::function<bool(const QString &site)> apply;
    // Steps a scenario written for another site takes first when it plays on this one: the
    // answers to the dialogs this site's setting opens (those a script leaves unused are dropped
    // at its end).
    QString answers;
};

struct Scenario
{
    QString name;                     // unique: the script's name, with its fault when it has one
    QString script;                   // file name in host/scripts/
    QList<Desk> desks;                // the desks it is written for
    QMap<QString, QByteArray> faults; // site files (relative) written just before it plays
    QString handOver;                 // steps a cashier takes after it to free the till for the next customer
    // What else the site needs just before it plays (base rows, cadastres); false when it cannot.
    std::function<bool(const QString &site)> prepare;
    // What the site needs before the screen starts (the parameters and cadastres the start-up
    // reads once): such a scenario plays in chains of its own on a site set up so, with every
    // scenario of its desk before and after it, each compared with its fresh run on that site.
    SiteSetup site;
};

// What one script left: its end, the host's log lines while it ran (the messages shown), the
// lines each document gained and the rows each table gained or lost, with drawn numbers,
// dates and times taken out.
struct Capture
{
    QString outcome;
    QStringList log;
    QMap<QString, QStringList> parts; // "arquivo PATH" / "tabela NAME" -> lines

    bool played() const { return !outcome.isEmpty(); }
    // It ended as its script is written: every check held.
    bool endedAsWritten() const;
    QStringList lines() const; // the whole capture as text, part by part
};

// A readable account of how `after` differs from `fresh` (a unified diff of their texts cut
// to a size a failure report can show); empty when they are the same.
QString differences(const Capture &fresh, const Capture &after);

struct Played
{
    QList<Capture> captures; // one per scenario of the chain, in order; not played ones empty
    QString output;          // the host's output, for a failure report
    bool started = false;    // the site was made and the host ran
    QList<int> endedTheRun;  // scenarios that end the host run: the one after each played in a new run
};

// Plays `chain` on one fresh site of `desk` in one host run, each scenario after the one
// before (with that one's hand-over steps). A scenario that fails a check ends the run as it
// ends a cashier's script; the run is then taken up again in a new host process from that
// scenario, played without its checks, so that every scenario after it still plays after it.
Played play(Desk desk, const QList<const Scenario *> &chain, const SiteSetup &setup);

// The capture of `scenario` alone on a fresh site, kept between test programs of one build
// (the same host, package and script give the same capture) so that each is played once.
Capture fresh(Desk desk, const Scenario &scenario, const SiteSetup &setup);

// The steps of a script without its checks (expect, expect-row): how it is played before
// another one when its own checks have already ended a run.
QString withoutChecks(const QString &script);

// Every scenario the differential test plays (defined beside it), for other checks that play
// the same scripts on the same desks.
const QList<Scenario> &everyScenario();

// Told of the site folder as each scenario of play() begins (`ended` false: its faults and
// preparation written) and as it ends (`ended` true: before the site is put back for the next
// one), with the scenario's index in the chain. A check of what a scenario left on the site
// itself sets it around its own play(); captures fresh() had kept are not played again.
using SiteWatch = std::function<void(int index, const QString &site, bool ended)>;
void watchSites(SiteWatch watch);

// Runs each statement on the site's SQLite base; false at the first that fails.
bool execute(const QString &site, const QStringList &statements);

// An order of `count` nodes in which every ordered pair (a, b), a == b too, follows each
// other exactly once: a walk over every edge of the complete graph with loops.
QList<int> everyPairOnce(int count);

} // namespace Differential
