// The answer table and the dispatcher: routes a cleaned answer to the handler
// of the first row whose "<key> : " prefix stands at a line start. The
// functions that attach handlers, set sinks and dispatch are fronts onto the
// one dispatch state of the process (link/dtu_cmd_dispatch_state.h).
#pragma once

#include <functional>
#include <string>

// A page's answer handler: value runs from just after the prefix to the end
// of the cleaned text; length is that byte count less two.
using DtuCmdRespHandler = void (*)(const char *value, int length);

constexpr int kDtuCmdRespTableRows = 88;
// Rows the table holds at most: the fixed rows and the keys added to them.
constexpr int kDtuCmdRespTableCapacity = 160;
// "bandValue : " answers are accepted and shown; no page handles them.
constexpr int kDtuCmdBandValueRow = 15;

// Rows in the table now: the fixed rows, then every key added since.
int DtuCmdRespRowCount();

// Adds a row for `key` after the others, for a page whose device key the
// fixed rows do not know; the row of a key already there stays the only one.
// Returns the key's row, or -1 when the table is full. Rows are added while
// the pages are built, before their answers come, and are never taken away.
int DtuCmdAddAnswerKey(const char *key);

// The prefix of one table row ("uart-baudrate : ", ...), and its length in
// bytes.
const char *DtuCmdRespPrefix(int row);
int DtuCmdRespPrefixLength(int row);

// Whether the row's key (its prefix without " : ") equals `key` ignoring case.
bool DtuCmdRespRowHasKey(int row, const char *key);

// Where an answer matched: the row (-1 for none), the offset of the line the
// prefix stands on, and whether the value was empty ("key :" ending its line,
// the blank after the colon dropped by cleaning).
struct DtuCmdRespMatch {
  int row = -1;
  int position = 0;
  bool empty_value = false;
};
DtuCmdRespMatch DtuCmdMatchAnswer(const char *text, int length);

// Attaches a page handler to every row whose key equals `key` ignoring case
// (so "aly-mqtt-instanceid" covers instanceID, instanceId and instanceid).
// Returns the number of rows attached. A row without a page handler is still
// matched: it is logged and otherwise ignored.
int DtuCmdAttachHandler(const char *key, DtuCmdRespHandler handler);

// Removes every page handler.
void DtuCmdDetachAllHandlers();

// Brings the whole dispatch state back to its start: no handlers, no sinks,
// no answer subscriptions, remote mode off (tests start from it).
void DtuCmdResetDispatch();

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
// DtuCmdPort::EnterRemoteMode / LeaveRemoteMode set both for the bridge.
void DtuCmdSetRemoteMode(bool on);
bool DtuCmdRemoteMode();
void DtuCmdSetRemoteSink(std::function<void(const char *data, int length)> sink);
