// The answer table and the dispatcher: routes a cleaned answer to the handler
// of the first row whose "<key> : " prefix stands at a line start.
#pragma once

#include <functional>
#include <string>

// A page's answer handler: value runs from just after the prefix to the end
// of the cleaned text; length is that byte count less two.
using DtuCmdRespHandler = void (*)(const char *value, int length);

constexpr int kDtuCmdRespTableRows = 88;

// The prefix of one table row ("uart-baudrate : ", ...), row 0..87.
const char *DtuCmdRespPrefix(int row);

// Attaches a page handler to every row whose key equals `key` ignoring case
// (so "aly-mqtt-instanceid" covers instanceID, instanceId and instanceid).
// Returns the number of rows attached. A row without a page handler is still
// matched: it is logged and otherwise ignored.
int DtuCmdAttachHandler(const char *key, DtuCmdRespHandler handler);

// Removes every page handler (tests start from a clean table).
void DtuCmdDetachAllHandlers();

// Index of the row that would handle this cleaned answer, or -1. No handler runs.
int DtuCmdMatchRow(const char *text, int length);

// Processes one chunk (on the thread that owns the pages: the GUI or main thread).
// Local mode: error hook, dispatch, then the receive-window sink gets text + "\r\n",
// then the answer watchers;
// length 0 calls only the empty-answer hook. Remote mode: the raw bytes go to the
// remote sink, nothing is dispatched.
void DtuCmdRecvProcess(const char *text, int length);

// The error hook, the empty-answer hook and every dispatched answer reach
// whoever subscribed to them: link/dtu_cmd_answer_watch.h.

// Where dispatched text is shown (the command port page's receive window):
// called with the cleaned text followed by "\r\n".
void DtuCmdSetReceiveSink(std::function<void(const std::string &text)> sink);

// Remote bridge: while remote mode is on (the virtual serial page is on view)
// received chunks are raw and go to the remote sink instead of the dispatcher.
void DtuCmdSetRemoteMode(bool on);
bool DtuCmdRemoteMode();
void DtuCmdSetRemoteSink(std::function<void(const char *data, int length)> sink);
