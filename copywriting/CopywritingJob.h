#pragma once

#include "service/ChatSession.h"

#include <cpprest/details/basic_types.h>
#include <pplx/pplxtasks.h>

// One generation: the token, the topic asked of the chat service, the text's file and its log
// record. Everything a run needs is copied in and everything it finds is kept here, so a run
// shares nothing with the window or command that started it.
class CopywritingJob : public ChatSession
{
public:
    // The settings read now, and what to generate into where.
    CopywritingJob(utility::string_t topic, utility::string_t outputFolder);

    // Asks for the text; true with it saved and logged, false with the error text set.
    bool Request(const pplx::cancellation_token& cancel);

    const utility::string_t& ResultText() const { return Answer(); }
    const utility::string_t& OutputPath() const { return m_outputPath; }

private:
    utility::string_t m_topic;
    utility::string_t m_outputFolder;
    utility::string_t m_outputPath;
};
