#include "traffic.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace sim {

namespace {

constexpr std::string_view kLocalDomain = "quorvane.example";
constexpr std::string_view kUsers[] = {
    "renée.dubois", "jürgen.weiß", "søren.holm", "zoë.martin", "françois.lefèvre",
    "ana.muñoz",    "bob",         "alice",      "chen.wei",   "marta.kowalska",
};
// The users from "bob" on read their mail on the web, the others by POP.
constexpr std::size_t kFirstWebMailUser = 6;
constexpr std::string_view kRemoteDomains[] = {"example.org", "example.net", "example.com"};
constexpr std::string_view kSubjects[] = {
    "Réunion de lundi",           "Prix: 15 €",
    "Bücherliste für März",       "Re: le cœur du problème",
    "Facture n° 2024-117",        "Meeting notes",
    "Angebot für Müller & Söhne", "«Urgent» contrat signé",
    "Fwd: “quoted” words…",
};
constexpr std::string_view kLists[] = {"cœur-de-lion", "randonnée", "annonces", "dev-team"};
// Bare lines between sessions: the short ones the monitor leaves out (10
// characters or fewer, whatever their bytes), and a few of exactly 11.
constexpr std::string_view kShortLines[] = {
    "", "-", "--------", "----------", "Idle", "Tick", "Ré-essai", "Journée ok", "Reload ok",
};
constexpr std::string_view kElevenLines[] = {"Tâche finie", "-----------"};

std::string Thousands(int value) {
    std::string digits = std::to_string(value);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<std::size_t>(i), " ");
    }
    return digits;
}

std::string Count(int n, std::string_view noun) {
    return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

std::string Quoted(std::string_view subject) {
    return "\"" + std::string(subject) + "\"";
}

std::string LocalAddress(std::string_view user) {
    return std::string(user) + "@" + std::string(kLocalDomain);
}

// The mailbox's owner when `address` is local; empty when it is remote.
std::string_view LocalUser(std::string_view address) {
    const std::size_t at = address.rfind('@');
    if (at == std::string_view::npos || address.substr(at + 1) != kLocalDomain) return {};
    return address.substr(0, at);
}

std::string_view ReaderOf(std::string_view user) {
    const auto* it = std::find(std::begin(kUsers), std::end(kUsers), user);
    return it - std::begin(kUsers) < static_cast<std::ptrdiff_t>(kFirstWebMailUser) ? "POP"
                                                                                    : "HTTPMAIL";
}

}  // namespace

Traffic::Traffic(std::string_view component, std::uint32_t seed, std::uint32_t& nextQueueId)
    : component_(component), rng_(seed), nextQueueId_(&nextQueueId) {
    nextSession_ = std::uniform_int_distribution<std::uint32_t>(1, 900)(rng_);
}

Traffic::Line Traffic::Next(std::string_view timeOfDay) {
    while (pending_.empty()) {
        std::optional<Handoff> taken;
        if (!taken_.empty()) {
            taken = std::move(taken_.front());
            taken_.pop_front();
        }
        const Handoff* handed = taken ? &*taken : nullptr;
        const Message* message = handed ? &handed->messages.front() : nullptr;
        if (component_ == "SMTP") {
            SmtpSession();
        } else if (component_ == "POP") {
            PopSession(handed);
        } else if (component_ == "HTTPMAIL") {
            HttpMailSession(handed);
        } else if (component_ == "MTA") {
            MtaRun(message);
        } else if (component_ == "LS") {
            ListServerPost();
        } else if (component_ == "POPC") {
            RetrievalRun();
        } else {
            FilterRun(message);
        }
        Separator();
    }
    Pending line = std::move(pending_.front());
    pending_.pop_front();
    if (line.stamped) line.text = std::string(timeOfDay) + " " + line.text;
    return {std::move(line.text), std::move(line.handoff)};
}

std::string Traffic::Hex(std::uint32_t value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}

std::string Traffic::Address() {
    return std::string(Pick(kUsers)) + "@" + std::string(Pick(kRemoteDomains));
}

std::string Traffic::Ip() {
    static constexpr std::string_view kNets[] = {"192.0.2.", "198.51.100.", "203.0.113."};
    return std::string(Pick(kNets)) + std::to_string(Uniform(2, 254));
}

void Traffic::Separator() {
    if (Chance(0.4)) Bare(std::string(Chance(0.8) ? Pick(kShortLines) : Pick(kElevenLines)));
}

// Mail from outside for local mailboxes, or, after a login, a local user's
// mail for anywhere.
void Traffic::SmtpSession() {
    const std::string id = "[" + Hex(nextSession_++, 4) + "]";
    const std::string s = id + " ";
    const std::string ip = Ip();
    const bool submission = Chance(0.3);
    const std::string_view user = Pick(kUsers);
    const std::string client =
        submission ? "pc-" + std::to_string(Uniform(10, 99)) + "." + std::string(kLocalDomain)
                   : "mail." + std::string(Pick(kRemoteDomains));
    Say("Connection from " + ip + ":" + std::to_string(Uniform(1024, 65535)) + " " + id);
    Say(s + ">> 220 mail." + std::string(kLocalDomain) + " ESMTP ready");
    Say(s + "<< EHLO " + client);
    Say(s + ">> 250-mail." + std::string(kLocalDomain) + " Hello " + client + " [" + ip + "]");
    Say(s + ">> 250 SIZE 52428800");
    if (submission) {
        Say(s + "<< AUTH LOGIN");
        Say(s + ">> 235 2.7.0 Authenticated as " + std::string(user));
    }
    Message m{{}, submission ? LocalAddress(user) : Address(), Uniform(900, 250000), {}};
    Say(s + "<< MAIL FROM:<" + m.from + "> SIZE=" + std::to_string(m.size));
    Say(s + ">> 250 2.1.0 Sender OK");
    for (int i = Uniform(1, 3); i > 0; --i) {
        const bool unknown = Chance(0.15);
        const std::string to = unknown                     ? LocalAddress("jean-noël.durand")
                               : submission && Chance(0.7) ? Address()
                                                           : LocalAddress(Pick(kUsers));
        Say(s + "<< RCPT TO:<" + to + ">");
        if (unknown) {
            Say(s + ">> 550 5.1.1 <" + to + ">: user unknown");
        } else {
            Say(s + ">> 250 2.1.5 Recipient OK");
            m.to.push_back(to);
        }
    }
    if (!m.to.empty()) {
        Say(s + "<< DATA");
        Say(s + ">> 354 Start mail input; end with <CRLF>.<CRLF>");
        Say(s + "Message received: " + Thousands(m.size) + " bytes, subject " +
            Quoted(Pick(kSubjects)));
        m.queueId = QueueId();
        Say(s + ">> 250 2.0.0 OK queued as " + m.queueId,
            Handoff{"SF", After(1000, 2500), {m}, {}});
    }
    Say(s + "<< QUIT");
    Say(s + ">> 221 2.0.0 Bye");
    Say(s + "Connection closed (" + std::to_string(Uniform(1, 9)) + "." +
        std::to_string(Uniform(0, 9)) + " s)");
}

// A mail program fetching the mailbox's new mail; on its own, one finding
// none or failing to log in.
void Traffic::PopSession(const Handoff* mailbox) {
    const std::string id = "[" + Hex(nextSession_++, 4) + "]";
    const std::string s = id + " ";
    const std::string user(mailbox ? std::string_view(mailbox->user) : Pick(kUsers));
    Say("Connection from " + Ip() + ":" + std::to_string(Uniform(1024, 65535)) + " " + id);
    Say(s + ">> +OK Quorvane POP3 server ready");
    Say(s + "<< USER " + user);
    Say(s + "<< PASS ********");
    if (!mailbox && Chance(0.15)) {
        Say(s + ">> -ERR Login failed for " + user + ": bad password");
        Say(s + "Connection closed by server");
        return;
    }
    const std::vector<Message> none;
    const std::vector<Message>& messages = mailbox ? mailbox->messages : none;
    int octets = 0;
    for (const Message& m : messages) octets += m.size;
    const std::string count = Count(static_cast<int>(messages.size()), "message");
    Say(s + ">> +OK Login ok for " + user + ": " + count + " (" + Thousands(octets) + " octets)");
    Say(s + "<< STAT");
    for (std::size_t i = 1; i <= messages.size(); ++i) {
        Say(s + "<< RETR " + std::to_string(i));
        Say(s + ">> +OK " + Thousands(messages[i - 1].size) + " octets follow (" +
            messages[i - 1].queueId + ")");
        Say(s + "<< DELE " + std::to_string(i));
    }
    Say(s + "<< QUIT");
    Say(s + ">> +OK Bye (" + count + " deleted)");
}

// A user reading the mailbox's new mail in the browser; on its own, a login
// that may send a message.
void Traffic::HttpMailSession(const Handoff* mailbox) {
    const std::string ip = Ip();
    const std::string user(mailbox ? std::string_view(mailbox->user) : Pick(kUsers));
    Say(ip + " GET /login 200 (" + std::to_string(Uniform(1, 9)) + " ms)");
    if (!mailbox && Chance(0.2)) {
        Say(ip + " POST /login user=" + user + ": login failed (bad password)");
        return;
    }
    const std::string session = Hex(nextSession_++ * 2654435761U, 8);
    Say(ip + " POST /login user=" + user + ": login ok, session " + session);
    const std::string s = "[" + session + "] ";
    Say(s + "GET /mail/inbox?page=1 200 (" + std::to_string(Uniform(4, 40)) + " ms)");
    if (mailbox) {
        for (const Message& m : mailbox->messages) {
            Say(s + "GET /mail/read?id=" + m.queueId + " 200 (" + std::to_string(Uniform(3, 25)) +
                " ms)");
        }
    } else if (Chance(0.5)) {
        Message m{QueueId(),
                  LocalAddress(user),
                  Uniform(900, 60000),
                  {Chance(0.3) ? LocalAddress(Pick(kUsers)) : Address()}};
        Say(s + "POST /mail/send to=" + m.to.front() + " subject=" + Quoted(Pick(kSubjects)) +
                ": queued as " + m.queueId,
            Handoff{"SF", After(1000, 2500), {m}, {}});
    }
    Say(s + "logout " + user + " after " + std::to_string(Uniform(1, 30)) + " min");
}

// A message SF passed, to each of its recipients, whose owners read what
// lands in a local mailbox soon after; on its own, a list's copy for a
// remote member.
void Traffic::MtaRun(const Message* handed) {
    const Message m =
        handed ? *handed
               : Message{QueueId(),
                         std::string(Pick(kLists)) + "@lists." + std::string(kLocalDomain),
                         Uniform(900, 250000),
                         {Address()}};
    const std::string q = m.queueId + ": ";
    Say(q + "from <" + m.from + ">, " + Thousands(m.size) + " bytes");
    for (const std::string& to : m.to) {
        if (const std::string_view user = LocalUser(to); !user.empty()) {
            Say(q + "delivered to local mailbox " + std::string(user) + " (INBOX)",
                Handoff{std::string(ReaderOf(user)), After(1500, 4000), {m}, std::string(user)});
            continue;
        }
        const std::string mx = "mx1." + to.substr(to.rfind('@') + 1);
        Say(q + "remote delivery to " + to + " via " + mx + " [" + Ip() + "]");
        const int attempts = Uniform(1, 3);
        for (int attempt = 1; attempt < attempts; ++attempt) {
            Say(q + "451 4.7.1 Greylisted, try again later; retry " + std::to_string(attempt) +
                " in " + std::to_string(5 * attempt) + " min");
            Say(q + "retry " + std::to_string(attempt) + " to " + mx);
        }
        if (Chance(0.1)) {
            Say(q + "gave up after " + Count(attempts, "attempt") +
                ": 550 5.1.1 user unknown; bounce sent to <" + m.from + ">");
        } else {
            Say(q + "delivered to " + mx + ": 250 2.0.0 Ok: queued as " +
                Hex(static_cast<std::uint32_t>(Uniform(0, 0xFFFFF)), 5));
        }
    }
    if (Chance(0.2)) {
        Say("Queue run: " + std::to_string(Uniform(0, 12)) + " waiting, " +
            std::to_string(Uniform(0, 4)) + " deferred");
    }
}

void Traffic::ListServerPost() {
    const std::string list = std::string(Pick(kLists)) + "@lists." + std::string(kLocalDomain);
    const std::string from = Address();
    if (Chance(0.15)) {
        Say("Subscribe request from " + from + " for " + list + ": confirmation sent");
        return;
    }
    Say("Post from " + from + " to " + list + ", subject " + Quoted(Pick(kSubjects)));
    if (Chance(0.2)) {
        Say("Held for moderation: " + from + " is not a member of " + list);
        return;
    }
    const int members = Uniform(3, 400);
    const int digest = Uniform(0, members / 4);
    Say("Member check ok; " + Count(members, "recipient") + " (" + std::to_string(digest) +
        " digest)");
    const std::string first = QueueId();
    Say("Expanded as " + first + ", " + std::to_string(members - digest) + " copies queued");
}

void Traffic::RetrievalRun() {
    const std::uint32_t run = nextSession_++;
    const int accounts = Uniform(1, 3);
    Say("Retrieval run " + std::to_string(run) + " started: " + Count(accounts, "account"));
    int total = 0;
    for (int i = 0; i < accounts; ++i) {
        const std::string_view user = Pick(kUsers);
        const std::string host = "pop." + std::string(Pick(kRemoteDomains));
        const std::string account = "Account " + std::string(user) + "@" + host + ": ";
        Say(account + "connecting to " + host + ":110");
        if (Chance(0.15)) {
            Say(account + "connect failed: timed out after 30 s");
            continue;
        }
        const int messages = Uniform(0, 3);
        if (messages == 0) {
            Say(account + "no new mail");
            continue;
        }
        Say(account + Count(messages, "message") + " (" +
            Thousands(messages * Uniform(900, 40000)) + " bytes)");
        const std::string first = QueueId();
        *nextQueueId_ += static_cast<std::uint32_t>(messages - 1);
        Say(account + "retrieved " + std::to_string(messages) + ", queued from " + first + " for " +
            std::string(user));
        total += messages;
    }
    Say("Retrieval run " + std::to_string(run) + " finished in " + std::to_string(Uniform(0, 9)) +
        "." + std::to_string(Uniform(0, 9)) + " s: " + Count(total, "message"));
}

// A message SMTP accepted or HTTPMAIL sent, which passes; on its own, one
// from elsewhere, which may not.
void Traffic::FilterRun(const Message* handed) {
    const Message m = handed ? *handed : Message{QueueId(), Address(), Uniform(900, 250000), {}};
    const std::string q = m.queueId + ": ";
    Say(q + "scanning message from <" + m.from + "> (" + Thousands(m.size) + " bytes)");
    const int score = Uniform(0, handed ? 59 : 120);
    const std::string points = std::to_string(score / 10) + "." + std::to_string(score % 10);
    if (!handed && Chance(0.1)) {
        Say(q + "sender address on blocklist " + Ip() + ": rejected");
    } else if (score >= 60) {
        Say(q + "score " + points + " (SUBJ_ALL_CAPS, EURO_MONEY): moved to quarantine");
    } else {
        Say(q + "score " + points + " (BAYES_20, HTML_MESSAGE): passed",
            handed ? std::optional<Handoff>(Handoff{"MTA", After(1000, 2500), {m}, {}})
                   : std::nullopt);
    }
    if (Chance(0.05)) {
        Say("Rules reloaded: " + Thousands(Uniform(900, 1500)) + " rules in 0.0" +
            std::to_string(Uniform(1, 9)) + " s");
    }
}

}  // namespace sim
