// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "server/ServerCommandLine.h"

namespace server::test {
namespace {

CommandLine Parsed(const std::vector<std::string>& words) {
    CommandLine command;
    std::string why;
    EXPECT_TRUE(ParseCommandLine(words, command, why)) << why;
    return command;
}

std::string Refusal(const std::vector<std::string>& words) {
    CommandLine command;
    std::string why;
    EXPECT_FALSE(ParseCommandLine(words, command, why));
    return why;
}

TEST(CommandLine, defaultsAndBothOptionFormsAreUnderstood) {
    const CommandLine plain = Parsed({"--root", "/srv/a", "--no-auth"});
    EXPECT_EQ(plain.action, CommandLine::Action::Serve);
    EXPECT_EQ(plain.serve.root, "/srv/a");
    EXPECT_EQ(FormatSocketAddress(plain.serve.listen.socketAddress), "127.0.0.1:31438");
    EXPECT_EQ(plain.serve.idleTimeout, std::chrono::seconds(3600));
    EXPECT_TRUE(plain.serve.noAuth);

    const CommandLine full = Parsed(
        {"--root=/srv/b", "--listen=0.0.0.0:0", "--users", "/etc/u", "--idle-timeout", "90"});
    EXPECT_EQ(FormatSocketAddress(full.serve.listen.socketAddress), "0.0.0.0:0");
    EXPECT_EQ(full.serve.usersFile, "/etc/u");
    EXPECT_EQ(full.serve.idleTimeout, std::chrono::seconds(90));

    EXPECT_EQ(Parsed({"--root", "x", "--listen", "[::1]:7", "--no-auth"}).action,
              CommandLine::Action::Serve);
    EXPECT_EQ(Parsed({"--root", "x", "--help"}).action, CommandLine::Action::Help);
    const CommandLine passwd = Parsed({"passwd", "/etc/u", "alice"});
    EXPECT_EQ(passwd.action, CommandLine::Action::Passwd);
    EXPECT_EQ(passwd.passwd.usersFile, "/etc/u");
    EXPECT_EQ(passwd.passwd.user, "alice");
}

TEST(CommandLine, usageErrorsSayWhatIsWrong) {
    EXPECT_EQ(Refusal({"--no-auth"}), "--root is required");
    EXPECT_EQ(Refusal({"--root", "x", "--no-auth", "--frob"}), "unknown option \"--frob\"");
    EXPECT_EQ(Refusal({"--root"}), "--root needs a value");
    EXPECT_NE(Refusal({"--root", "x", "--no-auth", "--idle-timeout", "0"}).find("idle"),
              std::string::npos);
    EXPECT_NE(Refusal({"--root", "x", "--no-auth", "--idle-timeout", "5s"}).find("idle"),
              std::string::npos);
    EXPECT_NE(Refusal({"--root", "x"}).find("--users is required"), std::string::npos);
    EXPECT_NE(Refusal({"--root", "x", "--no-auth", "--listen", "0.0.0.0:1"}).find("loopback"),
              std::string::npos);
    EXPECT_NE(Refusal({"--root", "x", "--no-auth", "--users", "u"}).find("exclude"),
              std::string::npos);
    EXPECT_NE(Refusal({"--root", "x", "--no-auth", "--listen", "127.0.0.1:70000"}).find("port"),
              std::string::npos);
    EXPECT_NE(Refusal({"--root", "x", "--no-auth", "--listen", "example.com:1"}).find("numeric"),
              std::string::npos);
    EXPECT_NE(Refusal({"passwd", "f"}).find("passwd"), std::string::npos);
    EXPECT_NE(Refusal({"passwd", "f", "bad\tname"}).find("user name"), std::string::npos);
}

TEST(CommandLine, tlsAndLimitOptionsHaveDefaultsAndCheckedValues) {
    const ServeOptions defaults = Parsed({"--root", "x", "--no-auth"}).serve;
    EXPECT_FALSE(defaults.certificateFile);
    EXPECT_FALSE(defaults.requireTls);
    EXPECT_EQ(defaults.maxSessions, 64u);
    EXPECT_EQ(defaults.maxLoginFailures, 10u);
    EXPECT_EQ(defaults.loginTimeout, std::chrono::seconds(10));

    const ServeOptions set =
        Parsed({"--root", "x", "--no-auth", "--cert", "c.pem", "--key=k.pem", "--require-tls",
                "--max-sessions", "3", "--max-login-failures=5", "--login-timeout", "4"})
            .serve;
    EXPECT_EQ(set.certificateFile, "c.pem");
    EXPECT_EQ(set.keyFile, "k.pem");
    EXPECT_TRUE(set.requireTls);
    EXPECT_EQ(set.maxSessions, 3u);
    EXPECT_EQ(set.maxLoginFailures, 5u);
    EXPECT_EQ(set.loginTimeout, std::chrono::seconds(4));

    EXPECT_EQ(Refusal({"--root", "x", "--no-auth", "--cert", "c.pem"}),
              "--cert and --key go together");
    EXPECT_EQ(Refusal({"--root", "x", "--no-auth", "--require-tls"}),
              "--require-tls needs --cert and --key");
    for (const std::string bad : {"0", "-1", "x", "2k", "100001"}) {
        EXPECT_NE(Refusal({"--root", "x", "--no-auth", "--max-sessions", bad})
                      .find("--max-sessions needs"),
                  std::string::npos)
            << bad;
    }
    EXPECT_NE(Refusal({"--root", "x", "--no-auth", "--max-login-failures", "0"})
                  .find("--max-login-failures needs"),
              std::string::npos);
    EXPECT_NE(
        Refusal({"--root", "x", "--no-auth", "--login-timeout", "0"}).find("--login-timeout needs"),
        std::string::npos);
}

TEST(ListenAddressParsing, loopbackIsToldApartAndIpv6NeedsBracketsForAPort) {
    ListenAddress address;
    std::string why;
    ASSERT_TRUE(ParseListenAddress("localhost:5", 1, address, why));
    EXPECT_TRUE(address.IsLoopback());
    EXPECT_EQ(FormatSocketAddress(address.socketAddress), "127.0.0.1:5");
    ASSERT_TRUE(ParseListenAddress("127.8.9.10", 44, address, why));
    EXPECT_TRUE(address.IsLoopback());
    EXPECT_EQ(FormatSocketAddress(address.socketAddress), "127.8.9.10:44");
    ASSERT_TRUE(ParseListenAddress("[::1]:9", 1, address, why));
    EXPECT_TRUE(address.IsLoopback());
    EXPECT_EQ(FormatSocketAddress(address.socketAddress), "[::1]:9");
    ASSERT_TRUE(ParseListenAddress("::", 3, address, why));
    EXPECT_FALSE(address.IsLoopback());
    EXPECT_EQ(FormatSocketAddress(address.socketAddress), "[::]:3");
    ASSERT_TRUE(ParseListenAddress("192.168.1.2:0", 1, address, why));
    EXPECT_FALSE(address.IsLoopback());
    for (const std::string bad :
         {"", ":5", "1.2.3.4:", "[::1", "[::1]x", "1.2.3.4:-1", "[1.2.3.4]:5"})
        EXPECT_FALSE(ParseListenAddress(bad, 1, address, why)) << bad;
}

}  // namespace
}  // namespace server::test
