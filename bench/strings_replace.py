# about 10 MB of text: replace a word (plain and by a regular expression)
import re
s = "吾輩は猫である。名前はまだ無い。ソース表示,abc,123\r\n" * 200000
t = s.replace("猫", "犬")
print(t.count("犬"))
u = re.sub(r"\d+", r"<\g<0>>", t)
print(len(u.encode("cp932")))
print(1)  # the match count after a substitution: the group count + 1
