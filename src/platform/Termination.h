#pragma once
// A request from outside to end the program (SIGTERM at logout or shutdown, SIGINT, SIGHUP)
// reaches the event loop as a call, so the program can end in good order.
#include <QObject>

#include <functional>

namespace platform {

// handler runs on context's thread, once per request.
void onTerminationRequest(QObject* context, std::function<void()> handler);

} // namespace platform
