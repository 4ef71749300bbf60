#include "traffic.h"

#include <cstdio>

namespace sim {

namespace {

constexpr std::string_view kLocalDomain = "quorvane.example";
constexpr std::string_view kUsers[] = {
    "renée.dubois", "jürgen.weiß", "søren.holm", "zoë.martin", "françois.lefèvre",
    "ana.muñoz",    "bob",         "alice",      "chen.wei",   "marta.kowalska",
};
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

}  // namespace

Traffic::Traffic(std::string_view component, std::uint32_t seed)
    : component_(component), rng_(seed) {
    nextQueueId_ = std::uniform_int_distribution<std::uint32_t>(0x1000, 0xF0000)(rng_);
    nextSession_ = std::uniform_int_distribution<std::uint32_t>(1, 900)(rng_);
}

std::string Traffic::Next(std::string_view timeOfDay) {
    while (pending_.empty()) {
        if (component_ == "SMTP") {
            SmtpSession();
        } else if (component_ == "POP") {
            PopSession();
        } else if (component_ == "HTTPMAIL") {
            HttpMailSession();
        } else if (component_ == "MTA") {
            MtaRun();
        } else if (component_ == "LS") {
            ListServerPost();
        } else if (component_ == "POPC") {
            RetrievalRun();
        } else {
            FilterRun();
        }
        Separator();
    }
    Line line = std::move(pending_.front());
    pending_.pop_front();
    if (!line.stamped) return line.text;
    return std::string(timeOfDay) + " " + line.text;
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

void Traffic::SmtpSession() {
    const std::string id = "[" + Hex(nextSession_++, 4) + "]";
    const std::string s = id + " ";
    const std::string ip = Ip();
    const std::string client = "mail." + std::string(Pick(kRemoteDomains));
    Say("Connection from " + ip + ":" + std::to_string(Uniform(1024, 65535)) + " " + id);
    Say(s + ">> 220 mail." + std::string(kLocalDomain) + " ESMTP ready");
    Say(s + "<< EHLO " + client);
    Say(s + ">> 250-mail." + std::string(kLocalDomain) + " Hello " + client + " [" + ip + "]");
    Say(s + ">> 250 SIZE 52428800");
    const int size = Uniform(900, 250000);
    Say(s + "<< MAIL FROM:<" + Address() + "> SIZE=" + std::to_string(size));
    Say(s + ">> 250 2.1.0 Sender OK");
    const int recipients = Uniform(1, 3);
    int accepted = 0;
    for (int i = 0; i < recipients; ++i) {
        const bool unknown = Chance(0.15);
        const std::string to = std::string(unknown ? "jean-noël.durand" : Pick(kUsers)) + "@" +
                               std::string(kLocalDomain);
        Say(s + "<< RCPT TO:<" + to + ">");
        if (unknown) {
            Say(s + ">> 550 5.1.1 <" + to + ">: user unknown");
        } else {
            Say(s + ">> 250 2.1.5 Recipient OK");
            ++accepted;
        }
    }
    if (accepted > 0) {
        Say(s + "<< DATA");
        Say(s + ">> 354 Start mail input; end with <CRLF>.<CRLF>");
        Say(s + "Message received: " + Thousands(size) + " bytes, subject " +
            Quoted(Pick(kSubjects)));
        Say(s + ">> 250 2.0.0 OK queued as " + QueueId());
    }
    Say(s + "<< QUIT");
    Say(s + ">> 221 2.0.0 Bye");
    Say(s + "Connection closed (" + std::to_string(Uniform(1, 9)) + "." +
        std::to_string(Uniform(0, 9)) + " s)");
}

void Traffic::PopSession() {
    const std::string id = "[" + Hex(nextSession_++, 4) + "]";
    const std::string s = id + " ";
    const std::string_view user = Pick(kUsers);
    Say("Connection from " + Ip() + ":" + std::to_string(Uniform(1024, 65535)) + " " + id);
    Say(s + ">> +OK Quorvane POP3 server ready");
    Say(s + "<< USER " + std::string(user));
    Say(s + "<< PASS ********");
    if (Chance(0.15)) {
        Say(s + ">> -ERR Login failed for " + std::string(user) + ": bad password");
        Say(s + "Connection closed by server");
        return;
    }
    const int messages = Uniform(0, 4);
    Say(s + ">> +OK Login ok for " + std::string(user) + ": " + Count(messages, "message") + " (" +
        Thousands(messages * Uniform(900, 40000)) + " octets)");
    Say(s + "<< STAT");
    for (int i = 1; i <= messages; ++i) {
        Say(s + "<< RETR " + std::to_string(i));
        Say(s + ">> +OK " + Thousands(Uniform(900, 40000)) + " octets follow");
        Say(s + "<< DELE " + std::to_string(i));
    }
    Say(s + "<< QUIT");
    Say(s + ">> +OK Bye (" + Count(messages, "message") + " deleted)");
}

void Traffic::HttpMailSession() {
    const std::string ip = Ip();
    const std::string_view user = Pick(kUsers);
    Say(ip + " GET /login 200 (" + std::to_string(Uniform(1, 9)) + " ms)");
    if (Chance(0.2)) {
        Say(ip + " POST /login user=" + std::string(user) + ": login failed (bad password)");
        return;
    }
    const std::string session = Hex(nextSession_++ * 2654435761U, 8);
    Say(ip + " POST /login user=" + std::string(user) + ": login ok, session " + session);
    const std::string s = "[" + session + "] ";
    Say(s + "GET /mail/inbox?page=1 200 (" + std::to_string(Uniform(4, 40)) + " ms)");
    for (int i = Uniform(0, 3); i > 0; --i) {
        Say(s + "GET /mail/read?id=" + std::to_string(Uniform(1000, 9999)) + " 200 (" +
            std::to_string(Uniform(3, 25)) + " ms)");
    }
    if (Chance(0.5)) {
        Say(s + "POST /mail/send to=" + Address() + " subject=" + Quoted(Pick(kSubjects)) +
            ": queued as " + QueueId());
    }
    Say(s + "logout " + std::string(user) + " after " + std::to_string(Uniform(1, 30)) + " min");
}

void Traffic::MtaRun() {
    const std::string q = QueueId() + ": ";
    const std::string_view from = Pick(kUsers);
    Say(q + "from <" + std::string(from) + "@" + std::string(Pick(kRemoteDomains)) + ">, " +
        Thousands(Uniform(900, 250000)) + " bytes");
    if (Chance(0.5)) {
        Say(q + "delivered to local mailbox " + std::string(Pick(kUsers)) + " (INBOX)");
        return;
    }
    const std::string_view domain = Pick(kRemoteDomains);
    const std::string mx = "mx1." + std::string(domain);
    Say(q + "remote delivery to " + std::string(Pick(kUsers)) + "@" + std::string(domain) +
        " via " + mx + " [" + Ip() + "]");
    const int attempts = Uniform(1, 3);
    for (int attempt = 1; attempt < attempts; ++attempt) {
        Say(q + "451 4.7.1 Greylisted, try again later; retry " + std::to_string(attempt) + " in " +
            std::to_string(5 * attempt) + " min");
        Say(q + "retry " + std::to_string(attempt) + " to " + mx);
    }
    if (Chance(0.1)) {
        Say(q + "gave up after " + Count(attempts, "attempt") +
            ": 550 5.1.1 user unknown; bounce sent to <" + std::string(from) + ">");
    } else {
        Say(q + "delivered to " + mx + ": 250 2.0.0 Ok: queued as " +
            Hex(static_cast<std::uint32_t>(Uniform(0, 0xFFFFF)), 5));
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
        nextQueueId_ += static_cast<std::uint32_t>(messages - 1);
        Say(account + "retrieved " + std::to_string(messages) + ", queued from " + first + " for " +
            std::string(user));
        total += messages;
    }
    Say("Retrieval run " + std::to_string(run) + " finished in " + std::to_string(Uniform(0, 9)) +
        "." + std::to_string(Uniform(0, 9)) + " s: " + Count(total, "message"));
}

void Traffic::FilterRun() {
    const std::string q = QueueId() + ": ";
    Say(q + "scanning message from <" + Address() + "> (" + Thousands(Uniform(900, 250000)) +
        " bytes)");
    const int score = Uniform(0, 120);
    const std::string points = std::to_string(score / 10) + "." + std::to_string(score % 10);
    if (Chance(0.1)) {
        Say(q + "sender address on blocklist " + Ip() + ": rejected");
    } else if (score >= 60) {
        Say(q + "score " + points + " (SUBJ_ALL_CAPS, EURO_MONEY): moved to quarantine");
    } else {
        Say(q + "score " + points + " (BAYES_20, HTML_MESSAGE): passed");
    }
    if (Chance(0.05)) {
        Say("Rules reloaded: " + Thousands(Uniform(900, 1500)) + " rules in 0.0" +
            std::to_string(Uniform(1, 9)) + " s");
    }
}

}  // namespace sim
