#pragma once
// "New from Plan..." of the channel table editor, as a part of its own: the
// chooser over the installed and own channel plans, then a new table filled
// from a country's plans or from one standard plan, or the list shown filled
// from a plan. The same plans label the rows (ChannelRows.h).

#include <functional>

class ChannelTableDocument;
class PlanLibrary;
class QWidget;
class UserServices;

class ChannelTableFromPlan
{
public:
    ChannelTableFromPlan(ChannelTableDocument& document, UserServices& services, QWidget& owner);

    // The plans of the editors as their files are now: read again when their
    // files changed, so that a plan saved meanwhile is offered and labels rows.
    static PlanLibrary& Library();

    // The command. showTable shows the filled table as a loaded one is shown,
    // in the same step as the fill; a plan that cannot be read is said and
    // changes nothing.
    void NewFromPlan(const std::function<void()>& showTable);

private:
    ChannelTableDocument& m_document;
    UserServices& m_services;
    QWidget& m_owner;
};
