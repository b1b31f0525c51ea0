# about 10 MB of text: replace a word (plain and by a regular expression)
encoding system utf-8
set s [string repeat "吾輩は猫である。名前はまだ無い。ソース表示,abc,123\r\n" 200000]
set t [string map {猫 犬} $s]
puts [regexp -all {犬} $t]
regsub -all {\d+} $t {<&>} u
puts [string length [encoding convertto cp932 $u]]
puts 1
