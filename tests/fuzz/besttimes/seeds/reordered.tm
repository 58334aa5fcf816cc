BestTimesLists 0
superAtk size 1 BestTime 0 sec 5 min 1 name "Ann   Lee" end end
atkMode end
end