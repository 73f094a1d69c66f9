#pragma once

// Whether each editor's SEND reads back what it wrote: saved with port 1's settings
// ("port1/verifyAfterSend"), on unless the operator turned it off.
bool LoadVerifyAfterSend();
void SaveVerifyAfterSend(bool on);
