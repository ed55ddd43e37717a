#include "protocol/UnsavedWrites.h"

#include "protocol/SentCommand.h"

void UnsavedWrites::OnLineGone(const TxLineWriter::Gone& gone) {
    SentCommand command;
    if (gone.fate != TxLineWriter::Fate::kWritten || !SentCommand::Parse(gone.line, command)) {
        return;
    }
    if (command.Code() == "PWR") m_bUnsaved = true;
    if (command.EndsWriteGroup()) m_bUnsaved = false;
}
