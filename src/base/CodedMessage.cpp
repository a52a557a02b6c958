#include "base/CodedMessage.h"

#include <charconv>

namespace kv {

CodedMessage CodedMessage::parse(std::string_view code)
{
    CodedMessage message;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t separator = code.find(';', start);
        parts.emplace_back(code.substr(start, separator == std::string_view::npos ? separator : separator - start));
        if (separator == std::string_view::npos)
            break;
        start = separator + 1;
    }
    message.kind = parts[0];
    if (parts.size() > 1)
        message.number = parts[1];
    for (std::size_t index = 2; index < parts.size() && int(message.arguments.size()) < kMaxArguments; ++index)
        message.arguments.emplace_back(parts[index]);
    return message;
}

int CodedMessage::value() const
{
    std::string_view text = number;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int result = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (error != std::errc() || end == text.data())
        return 0;
    return result;
}

std::string CodedMessage::lookupNumber() const
{
    if (isShown() || number.empty())
        return number;
    return number.substr(1);
}

MessageType CodedMessage::reportType(std::string_view kind)
{
    if (kind == "C" || kind == "D" || kind == "W")
        return MessageType::Warning;
    if (kind == "E")
        return MessageType::Error;
    if (kind == "I")
        return MessageType::Information;
    if (kind == "Q")
        return MessageType::Confirmation;
    return MessageType::Custom;
}

void CodedMessage::dialogOf(std::string_view kind, MessageType &type, MessageButtons &buttons)
{
    using B = MessageButton;
    if (kind == "C") {
        type = MessageType::Warning;
        buttons = B::OK | B::Cancel;
    } else if (kind == "D") {
        type = MessageType::Warning;
        buttons = B::Yes | B::No | B::Cancel;
    } else if (kind == "E") {
        type = MessageType::Error;
        buttons = B::OK;
    } else if (kind == "I") {
        type = MessageType::Information;
        buttons = B::OK;
    } else if (kind == "Q") {
        type = MessageType::Confirmation;
        buttons = B::OK | B::Cancel;
    } else if (kind == "W") {
        type = MessageType::Warning;
        buttons = B::OK | B::Cancel;
    } else {
        type = MessageType::Custom;
        buttons = B::OK;
    }
}

} // namespace kv
