#pragma once
// A release's update check set up against a server in the test process
// that serves the packaging's own signed description (UpdateGame 2.1.0,
// rolled out to 25 %, required below 2.0.0), with a fresh per-user folder.

#include "LocalHttpServer.h"
#include "TempDir.h"
#include "TextConversion.h"
#include "UpdateCheck.h"
#include "UpdateFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

inline constexpr char kDescriptionPath[] = "/updates/UpdateGame-update.json";

class UpdateServerTest : public ::testing::Test {
protected:
    UpdateCheckSetup Setup(UpdateVersion version = {2, 0, 5}, std::string id = "UpdateGame",
                           const std::string& path = kDescriptionPath) const {
        UpdateCheckSetup setup;
        setup.url = m_server.Url(path);
        setup.publicKey = m_key;
        setup.id = std::move(id);
        setup.version = version;
        setup.folder = ToWide(m_folder.Path() + "\\", CP_ACP);
        setup.connectTimeoutMs = 2000;
        setup.receiveTimeoutMs = 2000;
        setup.wholeTimeoutMs = 4000;
        return setup;
    }

    void Serve(HttpRoute description, HttpRoute signature,
               const std::string& path = kDescriptionPath) {
        m_server.Serve(path, std::move(description));
        m_server.Serve(path + ".sig", std::move(signature));
    }

    void KeepPlace(unsigned place) const {
        m_folder.Write("update-place.txt", std::to_string(place) + "\r\n");
    }

    std::string Kept(const char* name) const {
        std::ifstream file(m_folder.PathOf(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    static UpdateCheckResult Run(const UpdateCheckSetup& setup) {
        CUpdateCheck check(setup, nullptr, 0);
        EXPECT_TRUE(check.Wait(60000)) << "the check did not end";
        return check.Result().value_or(UpdateCheckResult{});
    }

    TempDir m_folder;
    CLocalHttpServer m_server;
    const std::string m_description = ReadAll(InUpdateDir(L"releases\\UpdateGame-update.json"));
    const std::string m_signature = ReadAll(InUpdateDir(L"releases\\UpdateGame-update.json.sig"));
    const std::string m_key = ReadAll(InUpdateDir(L"keys\\update-public.der"));
};
