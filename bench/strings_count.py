# about 10 MB of text: count the characters, count a word, find a position
s = "吾輩は猫である。名前はまだ無い。ソース表示,abc,123\r\n" * 200000
t = s + "終"
print(len(t))
print(len(t.encode("cp932")))
print(t.count("猫"))
print(t.find("終") + 1)
