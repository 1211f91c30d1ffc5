#pragma once
// How the windows read their skin from the configuration store: texts as
// they stand, numbers through atoi, images as paths under data\.

#include <string>

std::string Setting(const std::string& key);
// atoi of the value: 0 when missing or not a number.
int IntSetting(const std::string& key);
// "data\" followed by the value: a path relative to the current directory.
std::string DataPath(const std::string& key);
