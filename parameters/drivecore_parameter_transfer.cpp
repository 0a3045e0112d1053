// SPDX-License-Identifier: GPL-3.0-or-later
// The drive core's part of the parameters: reading the list, writing the
// grid back and the permanent save.
#include "link/drivecore.h"

#include "link/answerrules.h"
#include "parameters/listing.h"
#include "parameters/writeback.h"
#include "shell/cp1252.h"

#include <QTimer>

#include <algorithm>
#include <utility>

using line::Activity;

bool DriveCore::ZYNT_Parameter_Neu_Lesen()
{
    Parameters.AllViewRowsIndexed = 1;
    if (!beginListing(false))
        return false;
    emit listingStarted();
    return true;
}

bool DriveCore::readDriveList()
{
    return beginListing(true);
}

bool DriveCore::beginListing(bool quiet)
{
    if (DriveConnected != 1 || refused(Activity::Listing, line::Request::Listing))
        return false;
    // A quiet listing fills the model too; what the grid showed comes back at
    // its end, and at the end of any listing that does not get there.
    m_modelBeforeListing = Parameters;
    m_listingBackedUp = true;
    Owner.begin(Activity::Listing);
    m_quietList = quiet;
    params::startListing(Parameters);
    LinkState = 0;
    queueCommand("TROFF", CommandKind::Plain);
    if (TraceMode)
        queueCommand("s", CommandKind::Plain);
    TraceMode = false;
    queueCommand("p1028=" + P1028Value, CommandKind::Plain);
    queueListingRequest(DriveAddress);
    Parameters.ListingRow = 1;
    Parameters.ListingLineCount = 1;
    Timer11->start();
    return true;
}

void DriveCore::endQuietList(bool ok)
{
    if (ok) {
        Snapshot.listAddress = DriveAddress;
        Snapshot.list = Parameters.Grid;
        Snapshot.listRows = Parameters.ParameterRowCount;
        Snapshot.listFresh = true;
    }
    Parameters = m_modelBeforeListing;
    m_listingBackedUp = false;
    m_quietList = false;
    if (m_resolving && m_cutStep == CutStep::ReadBack) {
        cutStepDone(ok); // the read of a cut write-back's resolution
        return;
    }
    emit driveListRead(ok);
}

void DriveCore::abandonListing(bool boxed)
{
    Timer11->stop();
    if (const CommandNode *head = Queue.head(); head && answer::isListingKind(head->Kind)) {
        // The rest of the request would be read into a list no longer
        // being read: it goes, with what the line held for it.
        clearQueue();
        ReceiveBuffer.clear();
    }
    // After a search the drives it found are connected only by the
    // listing's completion; without it the poll that starts now would
    // never send, and a drive that answers again would never be seen.
    if (FoundAddresses[0] > 0)
        DriveConnected = 1;
    Owner.end(Activity::Listing);
    if (m_quietList) {
        endQuietList(false);
        return;
    }
    // Every page shows what it showed before the read. (The listing after a
    // search follows the state reset: it has nothing to give back.)
    if (std::exchange(m_listingBackedUp, false))
        Parameters = m_modelBeforeListing;
    emit listingFailed(boxed);
}

void DriveCore::queueListingRequest(const QByteArray &address)
{
    if (Parameters.SingleDriveListing) {
        queueCommandTo(address, "listp", CommandKind::ParameterList);
        return;
    }
    queueCommandTo(address, "listp1.20", CommandKind::ListBlockFirst);
    for (int i = 1; i <= 9; ++i)
        queueCommandTo(address, "listp" + QByteArray::number(20 * i + 1) + ".20",
                       i < 9 ? CommandKind::ListBlockMiddle : CommandKind::ListBlockLast);
}

void DriveCore::Parameterliste_Antwort()
{
    const int kind = Queue.head()->Kind;
    if (kind == params::ListingSingle) {
        const int percent = params::loadProgress(ReceiveBuffer.size());
        if (m_quietList)
            emit driveListProgress(percent);
        else
            emit listingProgress(percent);
    }
    // Every piece shows that the drive is still sending.
    Timer11->start();
    if (!params::listingAnswerComplete(ReceiveBuffer))
        return;

    // The whole answer is parsed from a copy: the buffer is for the next one.
    const QByteArray answer = ReceiveBuffer;
    ReceiveBuffer.clear();
    params::parseListingAnswer(Parameters, kind, Sprache, answer);
    Timer11->stop();
    Liste_aktualisieren();
    Timer11->start();
    if (m_quietList) {
        emit driveListProgress(params::blockProgress(Parameters.ListingLineCount));
    } else {
        emit listingProgress(params::blockProgress(Parameters.ListingLineCount));
        emit listingUpdated();
    }
    if (params::isFinalListing(kind))
        completeListing();
}

void DriveCore::completeListing()
{
    Timer11->stop();
    m_listingBackedUp = false;
    DriveConnected = 1;
    queueCommand("ver", CommandKind::Version);
    params::completeListing(Parameters);
    Owner.end(Activity::Listing);
    if (m_quietList) {
        endQuietList(true);
        return;
    }
    Snapshot.listAddress = DriveAddress;
    Snapshot.list = Parameters.Grid;
    Snapshot.listRows = Parameters.ParameterRowCount;
    Snapshot.listFresh = true;
    emit listingCompleted();
}

bool DriveCore::writeBack()
{
    return writeParameters(params::writeBackAssignments(Parameters.Grid, Parameters.ParameterRowCount));
}

bool DriveCore::writeParameters(const QList<QByteArray> &assignments, const QString &backup)
{
    if (refused(Activity::WriteBack, line::Request::WriteBack))
        return false;
    if (!Serial1->Active()) {
        // Nothing can be written, and the user must know why nothing happened.
        emit errorMessage(toCp1252(tr("Die Schnittstelle ist nicht geöffnet: es wurden keine Parameter in die ZYNT "
                                             "übertragen.")));
        return false;
    }
    if (!beginJournal(journal::Kind::Parameters, assignments, backup, m_resolving))
        return false;
    Owner.begin(Activity::WriteBack);
    LinkState = 0;
    m_writeBackBase = Released + (Queue.head() ? Queue.size() : 0);
    m_writeBackTotal = int(assignments.size()) + (TraceMode ? 2 : 1);
    queueCommand("TROFF", CommandKind::Plain);
    if (TraceMode)
        queueCommand("s", CommandKind::Plain);
    TraceMode = false;
    for (const QByteArray &assignment : assignments)
        queueCommand(assignment, CommandKind::Plain);
    // The last command marks the end of the batch; its acknowledgement
    // unlocks the window and reads the list again.
    Queue.lastQueued()->Kind = CommandKind::WriteBackLast;
    // Nothing else watches a write-back: an answer that never comes would
    // leave the window locked for good.
    Owner.watchTransfer();
    emit writeBackStarted();
    return true;
}

void DriveCore::endWriteBack()
{
    Owner.end(Activity::WriteBack);
    if (m_resolving) {
        // The backed-up values went back: what the drive holds now is read.
        emit transferEnded();
        m_cutStep = CutStep::ReadBack;
        if (!beginListing(true))
            finishResolution(false);
        return;
    }
    // Every assignment was answered; what the drive took is read anew by
    // whoever asked, and the record is done with.
    endJournal();
    emit writeBackEnded(); // the window reads the list anew: the grid shows what the drive holds now
}

int DriveCore::writeBackAnswered() const
{
    const int prefix = m_writeBackTotal - int(Journal ? Journal->total : 0);
    return std::clamp(int(Released - m_writeBackBase) - prefix, 0, Journal ? Journal->total : 0);
}

bool DriveCore::permanentSave()
{
    if (DriveConnected != 1 || !Serial1->Active())
        return false;
    // Only the command queued here gets its kind: a kind set on whatever was
    // queued last could change how an unrelated answer is read.
    if (refused(Activity::WriteBack, line::Request::PermanentSave))
        return false;
    queueCommand("psave", CommandKind::Plain);
    return true;
}
