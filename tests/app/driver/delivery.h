// How far a message that the driver gave another program's window got.
#pragma once

enum class Delivery {
    // The window does not exist or refused the message.
    Failed,
    // The window's procedure returned within the time the caller allowed.
    Handled,
    // Posted, or sent and still being handled when the wait ran out (a modal message box or
    // dialog opened by the handler keeps it running).
    Pending,
};
