#pragma once
// Keeps a local program file in step with the server's copy through the
// download library KVDownLoad.so (see docs/download.md for the stamp and the
// download location).
//
// The upgrader switch lives in the registry file under
// "Software\VLNT\Upgrader": downloading is allowed only when its value
// "GoAhead" is "1".

#include <string>

namespace kv {

// Binds KVDownLoad.so: loaded (beside the module, else by name) on
// construction and unloaded on destruction. A missing library or export
// leaves its pointer null; the calls then throw the described texts.
class TKVDownLoad {
public:
    using CompareFunc = int (*)(const char *, const char *);
    using DownloadFunc = int (*)(const char *, const char *, const char *, const char *, const char *, int *, char *,
                                 int);
    using UnzipFunc = int (*)(const char *, const char *, char *);

    TKVDownLoad();
    explicit TKVDownLoad(const std::string &libraryPath);
    ~TKVDownLoad();
    TKVDownLoad(const TKVDownLoad &) = delete;
    TKVDownLoad &operator=(const TKVDownLoad &) = delete;

    // True when the local file must be downloaded.
    bool Compare(const std::string &stamp, const std::string &localFile) const;
    // Downloads serverFile into localFile; false with the library's error text.
    bool DownLoad(const std::string &serverFile, const std::string &localFile, std::string &error) const;
    // Unpacks archive into directory; false with the library's error text.
    bool UnZip(const std::string &archive, const std::string &directory, std::string &error) const;

    bool loaded() const { return m_library != nullptr; }

private:
    void bind(const std::string &libraryPath);

    void *m_library = nullptr;
    CompareFunc CompareFileToDown = nullptr;
    DownloadFunc KVDownLoadFileEx = nullptr;
    UnzipFunc UnZipFilesOrDir = nullptr;
    // Looked up like the library's other exports, not called.
    void *CompareFileToDownEx = nullptr;
    void *NeedDownLoad = nullptr;
    void *UnZipFilesList = nullptr;
    void *UnZipFilesXML = nullptr;
    void *GetFileList = nullptr;
    std::string m_sourceDir; // always empty, handed to the download
};

// The stamp and server directory of a file list entry (tagged or assignment form).
struct ServerFileDescription {
    std::string stamp;
    std::string directory;
    static ServerFileDescription parse(const std::string &description);
};

// True when downloading is switched on in the registry file; logs when the key is missing.
bool UpgraderAllowsDownload();

// True when localFile is current or was updated; false with message otherwise
// (the message is also written to the alert log of this unit). Interactive
// failures offer Abort and Retry through the prompter.
bool CheckNewFile(const std::string &description, const std::string &localFile, std::string &message,
                  bool interactive, const std::string &libraryPath = {});

// Appends a line to "Alert_KVDownLoadNewFileU_<day>.log" in the host program's "Log" folder.
bool WriteDownLoadAlert(const std::string &text);

} // namespace kv
