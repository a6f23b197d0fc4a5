// The plug-in information marker: a plain text that the host finds among the
// module's bytes. No code reads it; the marker and the pointer to it are kept
// in the module by the "used" attribute. Constant data, safe from any thread.
namespace {

[[gnu::used]] const char kPluginInfo[] = "###_PluginInfo_###"
                                         "Name=\"Mivo\";"
                                         "Type=search;"
                                         "Version=2.1.2000.0;"
                                         "VersionInt=2.1;"
                                         "Author=\"Valdrune\";"
                                         "Desc=\"Search basic tags plugin for Mivo\";"
                                         "InfoUrl=\"http://valdrune.example/mivo/\";"
                                         "###";

[[gnu::used]] const char* const g_pPluginInfo = kPluginInfo;

}  // namespace
