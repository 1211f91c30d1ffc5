#pragma once
// The read-only settings of the client: key/value pairs read once from
// "config.xml" in the current directory. Keys and values are narrow text in
// the ANSI code page; a missing key reads as the empty string.

#include <map>
#include <set>
#include <string>
#include <vector>

struct IXMLDOMDocument;

// What a load found, for the tools that tell a skin author what is wrong.
struct ConfigLoadReport {
    enum class Outcome { Read, Missing, Malformed, DocumentType, NoParser };
    Outcome outcome = Outcome::NoParser;
    // Where the parser stopped reading a malformed file, and why.
    long line = 0;
    long column = 0;
    std::string reason;
    // Keys given more than once (the last one counts).
    std::vector<std::string> repeatedKeys;
    // Keys whose name or value the ANSI code page cannot hold whole.
    std::vector<std::string> lossyKeys;
};

class CConfigStore {
public:
    // The process's store, created (with COM initialised on the calling
    // thread) by the first call and never destroyed.
    static CConfigStore& Instance();

    // A store of its own, empty; Instance() is the one the program uses.
    CConfigStore() = default;
    CConfigStore(const CConfigStore&) = delete;
    CConfigStore& operator=(const CConfigStore&) = delete;

    // Fills the store from "config.xml"; a missing or broken file leaves it
    // as it was. What the load found goes to `report` when one is given.
    void Load(ConfigLoadReport* report = nullptr);
    std::string GetValue(const std::string& key) const;
    // Every key the file gives, in the store's order.
    std::vector<std::string> Keys() const;
    // Once switched on, every key looked up, present or not, is remembered:
    // the tests compare what the windows read with the reference.
    void RecordKeysRead(bool on) { m_recordKeysRead = on; }
    const std::set<std::string>& KeysRead() const { return m_keysRead; }
    // The executable's directory + "\data\" + login_bg, or "" when the
    // executable's path has no backslash.
    std::string GetLoginBgPath() const;

    // For the operator tools, which show a skin from a folder of its own:
    // replaces a key's value, and the folder GetLoginBgPath starts from.
    void SetValue(const std::string& key, const std::string& value) { m_values[key] = value; }
    void SetSkinFolder(const std::string& folder) { m_skinFolder = folder; }

    // Sets `document` up as Load reads with it: synchronously, and refusing
    // what only a hostile file needs (a DTD, with its entity expansion,
    // external resources, deep nesting).
    static void PrepareParser(IXMLDOMDocument* document);

private:
    void ReadDocument(ConfigLoadReport* report);
    void ReportParseError(ConfigLoadReport& report) const;

    std::map<std::string, std::string> m_values;
    std::string m_skinFolder;
    bool m_recordKeysRead = false;
    mutable std::set<std::string> m_keysRead;
    IXMLDOMDocument* m_pDoc = nullptr;
};
