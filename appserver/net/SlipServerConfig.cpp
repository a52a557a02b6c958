#include "net/SlipServerConfig.h"

#include <charconv>
#include <optional>
#include <limits>

namespace slip {

namespace {

std::int64_t readNumber(const kv::IniFile &ini, const char *key, std::int64_t defaultValue, std::int64_t low,
                        std::int64_t high)
{
    const std::optional<std::string> text = ini.value(SlipServerConfig::kSection, key);
    if (!text || text->empty())
        return defaultValue;
    std::int64_t value = 0;
    const char *end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || stop != end || value < low || value > high)
        throw SlipServerError(std::string("[Slipserv] ") + key + "=" + *text + " is not a number from " +
                              std::to_string(low) + " to " + std::to_string(high));
    return value;
}

int seconds(std::int64_t value)
{
    return int(value * 1000);
}

} // namespace

SlipServerConfig SlipServerConfig::fromIni(const kv::IniFile &ini)
{
    SlipServerConfig config;
    config.accessToken = ini.readString(kSection, "AccessToken", "");
    config.listenAddress = ini.readString(kSection, "ListenAddress", config.listenAddress);
    config.port = int(readNumber(ini, "Port", config.port, 0, 65535));
    config.maxFrameBytes = readNumber(ini, "MaxFrameBytes", config.maxFrameBytes, 1024,
                                      std::numeric_limits<std::uint32_t>::max());
    // Timeouts up to 24 days keep the milliseconds within an int.
    const std::int64_t maxSeconds = std::numeric_limits<int>::max() / 1000;
    config.idleTimeoutMs = seconds(readNumber(ini, "IdleTimeoutSeconds", config.idleTimeoutMs / 1000, 1, maxSeconds));
    config.frameTimeoutMs =
        seconds(readNumber(ini, "FrameTimeoutSeconds", config.frameTimeoutMs / 1000, 1, maxSeconds));
    config.requestTimeoutMs =
        seconds(readNumber(ini, "RequestTimeoutSeconds", config.requestTimeoutMs / 1000, 0, maxSeconds));
    config.maxConnections = int(readNumber(ini, "MaxConnections", config.maxConnections, 1, 100000));
    config.maxConnectionsPerAddress =
        int(readNumber(ini, "MaxConnectionsPerAddress", config.maxConnectionsPerAddress, 1, 100000));
    config.maxPendingHellos = int(readNumber(ini, "MaxPendingHellos", config.maxPendingHellos, 1, 100000));
    config.maxObjectsPerConnection =
        int(readNumber(ini, "MaxObjectsPerConnection", config.maxObjectsPerConnection, 1, 1000000));
    return config;
}

void SlipServerConfig::validate() const
{
    if (accessToken.empty())
        throw SlipServerError("No access token: set [Slipserv] AccessToken in MarshalS.ini");
    if (port < 0 || port > 65535)
        throw SlipServerError("Port " + std::to_string(port) + " is out of range");
    if (maxFrameBytes < 16 || maxFrameBytes > std::int64_t(std::numeric_limits<std::uint32_t>::max()))
        throw SlipServerError("A frame limit of " + std::to_string(maxFrameBytes) + " bytes cannot be used");
    if (idleTimeoutMs <= 0 || frameTimeoutMs <= 0 || maxConnections <= 0 || maxObjectsPerConnection <= 0 ||
        maxConnectionsPerAddress <= 0 || maxPendingHellos <= 0)
        throw SlipServerError("Timeouts and limits of the daemon must be positive");
    if (requestTimeoutMs < 0)
        throw SlipServerError("The request time limit cannot be negative (0 means none)");
}

} // namespace slip
